#pragma once

#include "grid/VeskGrid.h"
#include "synthesis/BlockDetails.h"
#include "views/RenderMode.h"
#include "views/SamplePicker.h"
#include "views/ViewSurface.h"

#include <QMetaType>
#include <QOpenGLWidget>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QMouseEvent;

// The view of one terrain: owns a VeskGrid and shows it lit, in perspective, with
// marked blocks and the mouse selection drawn over it. The surface is drawn from
// buffer objects (ViewSurface), filled in a worker for large grids: code that changes
// grid other than through the view's slots calls surface.settle() first and
// updateGUI() after.
//   GLGrid.cpp              set-up, projection, camera, render modes, paint
//   GLGridCamera.cpp        framing the terrain
//   GLGridMouse.cpp         mouse pan / dolly / selection and picking of samples
//   GLGridBlockTransfer.cpp the middle-button block transfer between two views
//   GLGridCommands.cpp      file, multiresolution, refresh, marking and movie commands
//   TerrainSteps.cpp        their OpenGL-free part: scheme steps and marks on any grid
class GLGrid : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit GLGrid(QWidget* parent = nullptr, const char* name = nullptr);
    ~GLGrid() override;

    // The nearest grid sample on screen to a mouse position (widget pixels, y
    // downwards), using the camera of the last paint. Ties keep the earliest sample
    // in row-major order. Both are -1 for a grid without samples.
    void pickVertex(int mouseX, int mouseY, int& row, int& column);

    // How far (pixels) the surface of a large grid may stray on screen from the full
    // one, drawn at levels of detail; 0 draws every sample (ViewSurface).
    void setScreenError(double pixels);

    // Clears the frame and applies the camera.
    void applyViewTransform();
    // Centres the terrain and moves the camera so that all of it is in view, keeping
    // the rotation and the scale. Nothing for a grid without data.
    void fitTerrain();

    int viewHeight = 0;
    float xRot = 0.0f;
    float yRot = 0.0f;
    float zRot = 0.0f;
    float scale = 2.0f;
    float xTrans = 0.0f;
    float yTrans = 0.0f;
    float zTrans = 0.0f;
    bool mouseDown = false;
    int lastX = 0;
    int lastY = 0;
    int pressButton = 0;
    VeskGrid grid;
    // The heights changed: the surface is rebuilt at the next paint.
    bool listDirty = true;
    // None after setRenderMethod(int) with a number that names no mode; the view
    // then paints the slope surface.
    std::optional<RenderMode> renderMode = RenderMode::Plain;
    bool matchesShown = true;
    bool renderUCurves = true;
    int contourSpacing = 1;
    bool marked = false;
    std::vector<int> marks;
    int selX1 = -1;
    int selX2 = -1;
    int selY1 = -1;
    int selY2 = -1;
    // The block received from the other view, pasted by every middle click until replaced.
    BlockDetails blockDetails;
    int numDeets = 2;
    ViewSurface surface;
    SamplePicker picker;
    // The camera was last placed by fitTerrain(): a new window size frames again.
    bool cameraFramesTerrain = false;
    // Runs the long part of a block transfer (coarsening, cutting, pasting) and
    // says whether it finished; the window runs it off the GUI thread. Without
    // one the work runs in place.
    std::function<bool(const QString& step, const std::function<void()>& work)> longWorkRunner;

    // --- Camera movie state, shared by every view of the process (GLGridMovie.cpp) ---
    static bool movieStartPending; // the next startmovie() only places the camera
    static int movieFrame;         // movie ticks so far
    // --- end of the movie state ---

public slots:
    void setXRotation(int degrees);
    void setYRotation(int degrees);
    void setZRotation(int degrees);
    void setScale(int val);
    // --- Commands: files, details and multiresolution (GLGridCommands.cpp) ---
    void loadGRDFile(QString file);
    void loadFLTFile(QString file);
    void writeDetails(QString& status, int& numfiles);
    void writeTerrain(QString& filename, bool& status);
    void loadDetail(QString file);
    void writeTerrainSplit(QString& file1, QString& file2, bool& success);
    void saveGRD(QString& f);
    void saveOBJ(const QString& f);
    void subdivide(int subdivisiontype);
    void unsubdivide(int subdivisiontype);
    // --- end of the file, details and multiresolution commands ---
    void setRenderMethod(int m);
    void toggleRenderUCurves();
    void setContourSpacing(int s);
    void showMatches(bool on);
    // --- Commands: refresh, sizes, marking, block transfer, movie
    //     (GLGridCommands.cpp, GLGridBlockTransfer.cpp, GLGridMovie.cpp) ---
    void updateGUI();
    void getGrid(VeskGrid*& g);
    void changeWidth(int w);
    void changeHeight(int h);
    void clearDetails();
    void emitStdDev();
    void setMarked(bool a);
    void addMarked(int x, int y, int width, int height);
    void clearMarked();
    void receiveBlockDetails(const BlockDetails& block);
    void changeNumDeets(int num);
    void startmovie();
    void timerDone();
    void move(double xts, double yts, double zts, double xrs, double yrs, double zrs, double xtf,
              double ytf, double ztf, double xrf, double yrf, double zrf, int totalsteps,
              int currentstep);
    // --- end of the refresh, size, marking, block transfer and movie commands ---

signals:
    void widthChanged(const QString& width);
    void widthChanged(int);
    void heightChanged(const QString& height);
    void heightChanged(int);
    void freqChanged(int);
    void sendCurve(std::vector<float>);
    void sendDetails(std::vector<float>);
    void sendStdDev(float);
    void sendBlockDetails(const BlockDetails& block);
    // A received block was pasted into this view's grid.
    void blockPasted();
    // The sample under the mouse pointer as it moves over the view with no button
    // down, by the selection's picking; -1, -1 when the pointer is off the terrain or
    // has left the view.
    void sampleUnderCursor(int row, int column);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void paintSurface(RenderMode surfaceMode);
    void paintCurves();
    void paintOverlays();
    // The surface and the picker follow a change of the heights.
    void takeHeightsChange();
    // Picks at an event position and stores the selection corners the middle button asks for.
    bool pickAt(const QMouseEvent* event, int& row, int& column);
    PickCamera pickCamera();
    void reportSampleUnderCursor(const QPoint& point);

    // Middle-button block transfer between the two views.
    void coarsenAndSendBlock();
    void pasteBlockDetails();
    bool runLongWork(const QString& step, const std::function<void()>& work);

    // --- Refresh helpers (GLGridCommands.cpp) ---
    void emitWidth();
    void emitHeight();
    void emitCurve();
    void emitDetails();
    // --- end of the refresh helpers ---
};

// A block goes through signals and signal spies by value.
Q_DECLARE_METATYPE(BlockDetails)
