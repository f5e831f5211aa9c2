#pragma once

#include <QJsonObject>
#include <QMainWindow>
#include <QPixmap>
#include <QString>

#include <functional>
#include <memory>

#include "diagnostics/Progress.h"
#include "synthesis/SynthesisMethod.h"

class GLGrid;
class OperationRunner;
class RecoveryAutosave;
class RecoveryFolder;
class TerrainHistory;
class WindowDocument;
enum class ScreenSide;
struct ScreenContent;
class GLProfile;
class MessagesDock;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QEvent;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLCDNumber;
class QMenu;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QSplitter;
class QToolButton;
class QVBoxLayout;
class UserDialogs;

// The main window: two terrain screens (left "gLGrid1", right "gLGrid2") with
// their size controls and profile plots, the shared camera, rendering, contour,
// quilting and block-size controls, and the File, Multiresolution and View menus.
// What the screens hold is the window's document (app/WindowDocument.h): the code
// here reads and changes a terrain only through it.
//   TalvaneMainWindow.cpp        construction, init(), the dialog seam, opening terrains
//   TalvaneMainWindowForm.cpp    the widget tree, actions and menus
//   TalvaneMainWindowText.cpp    languageChange(): every visible text
//   TalvaneMainWindowWiring.cpp  the signal/slot connections
//   FileActions.cpp              open/save terrain, details and split
//   MultiresolutionActions.cpp   scheme toggles, refine/coarsen, quilting options
//   SynthesisActions.cpp         "Go": detail quilting or multifractal mapping
//   ConversionActions.cpp        PNG to ASCII grid
//   TerrainOperations.cpp        running operations off the GUI thread, recording them for undo
//   EditActions.cpp              the Edit menu, size changes through the spin boxes, block pastes
//   ViewActions.cpp              the View menu: framing the terrain of a screen, the screen error
//   DropActions.cpp              terrain files dropped on a screen, PNG images dropped on the window
//   RecentTerrains.cpp           File > Recent Terrains
//   WindowSettings.cpp           the window's geometry and splitter, stored on close
//   CursorReadout.cpp            the status bar's readout of the sample under the mouse pointer
//   SessionActions.cpp           File > Open Session and Save Session
//   RecoveryActions.cpp          autosave for recovery after a crash, and the offer to restore
// Widgets, layouts and actions are public and owned by the Qt parent chain.
class TalvaneMainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit TalvaneMainWindow(QWidget* parent = nullptr, const char* name = nullptr,
                               Qt::WindowFlags flags = Qt::Window);
    ~TalvaneMainWindow() override;

    // Replaces the dialogs and message boxes (tests and scripted use answer them).
    void setUserDialogs(std::unique_ptr<UserDialogs> dialogs);
    UserDialogs& userDialogs() const;

    // Loads a terrain into a screen as the Load menu does after its dialog, in the
    // format the table of formats gives the file (by content, then extension).
    // A file that cannot be read is reported in a message box. Returns whether
    // the screen holds a terrain afterwards.
    bool openTerrainLeft(const QString& path);
    bool openTerrainRight(const QString& path);
    // Reads a session off the GUI thread and puts both screens up as one undoable change,
    // or nothing (a message says why) when the file does not read whole.
    bool openSessionFile(const QString& path);
    // At start: offers back, newest first, the work autosaved by windows that did not
    // close cleanly, saying from when it is; Yes restores it (one undoable change), No
    // discards it. True when work was restored.
    bool offerRecovery();
    // Keeps both screens in this window's recovery file (RecoveryActions.cpp).
    RecoveryAutosave* recoveryAutosave() const { return autosave; }

    // "Save As GeoTIFF": the left terrain, placed where it was read from when it was
    // georeferenced. A plain method, not a slot: the form's slots are the design's.
    void saveTerrainGeoTiffLeft();

    // "View > Fit Terrain": the screen under the mouse pointer, or both, frame their terrain.
    void fitTerrain();

    // The checked scheme's number (multires/Scheme.h; "Traditional" is the fractal scheme), 0 none.
    int schemeNumber() const;
    // The method a Go runs: the one chosen beside it, quilting turned multifractal under the fractal scheme.
    SynthesisMethod chosenSynthesisMethod() const;

    // The long operations run here, one at a time, off the GUI thread.
    OperationRunner* operationRunner() const { return runner; }
    // The undo history of both screens.
    TerrainHistory* terrainHistory() const { return history; }
    // What both screens hold: the views show it, the session and the autosave save it.
    WindowDocument& windowDocument() const { return *document; }

    // --- Central widget: screens ---
    QWidget* centralWidgetHolder = nullptr;
    QGridLayout* TalvaneMainWindowLayout = nullptr;
    QSplitter* splitter2 = nullptr;
    QWidget* layout12Widget = nullptr;
    QVBoxLayout* layout12 = nullptr;
    GLGrid* gLGrid1 = nullptr;
    QHBoxLayout* layout11 = nullptr;
    QLabel* widthTextLabel = nullptr;
    QSpinBox* grid1WidthSpinBox = nullptr;
    QLabel* heightTextLabel = nullptr;
    QSpinBox* grid1HeightSpinBox = nullptr;
    QLabel* textLabel1 = nullptr;
    QSpinBox* grid1FrequencySB = nullptr;
    GLProfile* gLProfile1a = nullptr;
    GLProfile* gLProfile1b = nullptr;
    QWidget* layout13Widget = nullptr;
    QVBoxLayout* layout13 = nullptr;
    GLGrid* gLGrid2 = nullptr;
    QHBoxLayout* layout10 = nullptr;
    QLabel* widthTextLabel2 = nullptr;
    QSpinBox* grid2WidthspinBox = nullptr;
    QLabel* heightTextLabel2 = nullptr;
    QSpinBox* grid2HeightSpinBox = nullptr;
    QLabel* textLabel3 = nullptr;
    QSpinBox* grid2FrequencySB = nullptr;
    GLProfile* gLProfile2a = nullptr;
    GLProfile* gLProfile2b = nullptr;

    // --- Camera and rendering controls ---
    QHBoxLayout* layout19 = nullptr;
    QHBoxLayout* layout18 = nullptr;
    QHBoxLayout* layout2 = nullptr;
    QToolButton* refineLeftButton = nullptr;
    QToolButton* coarsenLeftButton = nullptr;
    QGroupBox* renderingButtonGroup = nullptr;
    QVBoxLayout* renderingButtonGroupLayout = nullptr;
    QGridLayout* renderingButtonGrid = nullptr;
    QButtonGroup* renderingButtons = nullptr; // the radio buttons' ids, 0 to 4
    QRadioButton* radioButton1 = nullptr;
    QRadioButton* radioButton3 = nullptr;
    QRadioButton* radioButton2 = nullptr;
    QRadioButton* radioButton4 = nullptr;
    QRadioButton* radioButton5 = nullptr;
    QHBoxLayout* layout18_2 = nullptr;
    QVBoxLayout* layout14 = nullptr;
    QSlider* slider1 = nullptr;
    QSlider* slider2 = nullptr;
    QSlider* slider3 = nullptr;
    QSlider* slider4 = nullptr;
    QVBoxLayout* layout16 = nullptr;
    QLCDNumber* lCDNumber1 = nullptr;
    QLCDNumber* lCDNumber2 = nullptr;
    QLCDNumber* lCDNumber3 = nullptr;
    QLCDNumber* lCDNumber4 = nullptr;
    QHBoxLayout* layout2_2 = nullptr;
    QToolButton* refineRightButton = nullptr;
    QToolButton* coarsenRightButton = nullptr;

    // --- Contours, quilting, block size ---
    QGroupBox* ContoursGB = nullptr;
    QGridLayout* ContoursGBLayout = nullptr;
    QPushButton* ucurvesButton = nullptr;
    QLabel* textLabel1_2 = nullptr;
    QSpinBox* spinBox7 = nullptr;
    QGroupBox* groupBox2 = nullptr;
    QCheckBox* rescaleBeforeCB = nullptr;
    QCheckBox* rescaleAfterCB = nullptr;
    QCheckBox* refineMatchesCB = nullptr; // "Refine matches": the refined block search
    QHBoxLayout* layout17 = nullptr;
    QHBoxLayout* layout16_2 = nullptr;
    QLabel* textLabel1_4 = nullptr;
    QSpinBox* spinBox = nullptr;
    QPushButton* pushButton6 = nullptr;
    // Beside "Go": the synthesis method (one entry per row of the methods table) and
    // how many levels of detail one Go adds.
    QComboBox* synthesisMethodComboBox = nullptr;
    QLabel* goLevelsLabel = nullptr;
    QSpinBox* goLevelsSpinBox = nullptr;
    QHBoxLayout* layout19_2 = nullptr;
    QHBoxLayout* layout15 = nullptr;
    QLabel* textLabel1_3 = nullptr;
    QSlider* blocksizeSlider = nullptr;
    QLCDNumber* blockSizeLCD = nullptr;
    QCheckBox* matchCB = nullptr;
    QPushButton* pushButton4 = nullptr;
    QPushButton* savesplitButton = nullptr;

    // --- Actions ---
    QAction* Action = nullptr;
    QAction* fileSaveAction = nullptr;
    QAction* fileLoadAction = nullptr;
    QAction* fileExitAction = nullptr;
    QAction* fileSaveTerrainAction = nullptr;
    QAction* fileSaveDetailsAction = nullptr;
    QAction* fileSaveDetailsLeft_ScreenAction = nullptr;
    QAction* fileSaveDetailsRight_ScreenAction = nullptr;
    QAction* fileSaveTerrainLeft_ScreenAction = nullptr;
    QAction* fileSaveTerrainRight_ScreenAction = nullptr;
    QAction* fileSaveAs_GeoTIFFAction = nullptr;
    QAction* fileLoadTerrainAction = nullptr;
    QAction* fileLoadDetailsAction = nullptr;
    QAction* fileLoadTerrainLeft_ScreenAction = nullptr;
    QAction* fileLoadTerrainRight_ScreenAction = nullptr;
    QAction* fileLoadDetailsLeft_ScreenAction = nullptr;
    QAction* fileLoadDetailsRight_ScreenAction = nullptr;
    QAction* multiresolutionTraditionalAction = nullptr;
    QAction* multiresolutionChaikinAction = nullptr;
    QAction* fileConvert_PNGAction = nullptr;
    // File > Open Session... and Save Session...: both screens in one file (SessionActions.cpp).
    QAction* fileOpenSessionAction = nullptr;
    QAction* fileSaveSessionAction = nullptr;
    QAction* multiresolutionFaberAction = nullptr;
    // Edit > "Erode Left Terrain": rivers cut and hollows fill (synthesis/HydraulicErosion.h).
    QAction* editErodeLeftAction = nullptr;
    QAction* editUndoAction = nullptr; // made by the undo stack, text "&Undo <operation>"
    QAction* editRedoAction = nullptr;
    QAction* viewFit_TerrainAction = nullptr;

    // --- Menus (kept as pointers where the form once used menu ids) ---
    QMenu* fileMenu = nullptr;
    QMenu* fileSaveMenu = nullptr;
    QMenu* fileSaveTerrainMenu = nullptr;
    QMenu* fileSaveDetailsMenu = nullptr;
    QMenu* fileLoadMenu = nullptr;
    QMenu* fileLoadTerrainMenu = nullptr;
    QMenu* fileLoadDetailsMenu = nullptr;
    QMenu* fileRecentTerrainsMenu = nullptr; // one submenu a file, with the screens to load it into
    QMenu* multiresolutionMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* viewScreen_ErrorMenu = nullptr; // one checkable action a bound, in the order of the bounds

    // --- The messages pane (View, Messages) ---
    MessagesDock* messagesDock = nullptr;
    QAction* viewMessagesAction = nullptr; // the dock's own show/hide toggle

    // --- Status bar: the sample under the mouse pointer (CursorReadout.cpp) ---
    QLabel* cursorReadoutLabel = nullptr;

    // --- Icons ---
    QPixmap refineIcon;
    QPixmap coarsenIcon;
    QPixmap unusedPixmap; // kept empty; the form never draws into it

    // --- Quilting options ---
    bool rescaleBeforeQuilting = false; // "Rescale when quilting"
    bool rescaleAfterQuilting = false;  // "Rescale when finished"
    int requestedBlockSize = 0;

public slots:
    void init();
    void openFileGrid1();
    void openFileGrid2();
    void openDetailsFile();
    void saveTerrainFileLeft();
    void saveTerrainFileRight();
    void saveDetailsFileRight();
    void saveDetailsFileLeft();
    void refineLeft();
    void refineRight();
    void coarsenLeft();
    void coarsenRight();
    void toggleOnChaikin();
    void toggleOnTraditional();
    void toggleOnFaber();
    void saveSplit();
    void doTextureTransfer();
    void convertPNGtoGRD();
    void openSession();
    void saveSession();
    void quiltingrescalebefore(bool on);
    void quiltingrescaleafter(bool on);
    void changeRequestedBlockSize(int size);

protected slots:
    virtual void languageChange();

signals:
    void loadGRDFile1(QString);
    void loadFLTFile1(QString);
    void loadGRDFile2(QString);
    void loadFLTFile2(QString);
    void loadDetails(QString);
    void saveDtl(QString&, int&);

private:
    void buildForm();
    void buildScreens();
    void buildControls();
    void buildBottomControls();
    void buildActions();
    void buildMenus();
    void buildViewMenu();
    QMenu* buildScreenErrorMenu();
    void buildMessagesDock();
    void makeConnections();
    void fitQuiltingBox();

    // Every load of a terrain file goes here; one that loaded joins the recent terrains.
    bool openTerrain(ScreenSide side, const QString& path);
    // A terrain file of any format read (formats/TerrainFormatTable.h), read off the GUI
    // thread into a grid of its own: the screen changes only when it loads.
    bool openTerrainFile(ScreenSide side, const QString& path, const QString& undoText);
    // Asks where and as what to save the left terrain (any format written) and saves it.
    void saveLeftTerrain(const QString& caption, const QString& filter);
    void coarsenScreen(ScreenSide side, const QString& step, const QString& undoText);
    // Edit > Erode Left Terrain (ErosionActions.cpp).
    void erodeLeft();
    void refineScreen(ScreenSide side, const QString& step, const QString& undoText, const QString& refusal);
    void resizeScreen(ScreenSide side, int width, int height, const QString& undoText);
    // Runs work in the operation runner with the step in the status bar; true when it
    // finished (a failure is reported, a cancel says nothing).
    bool runOperation(const QString& step, const std::function<void(const diagnostics::Progress&)>& work);
    void setOperationRunning(bool running);
    void buildEditMenu();
    // Size changes through a screen's width and height spin boxes (undoable).
    void changeLeftWidth(int width);
    void changeLeftHeight(int height);
    void changeRightWidth(int width);
    void changeRightHeight(int height);
    void watchBlockTransfers();
    // Files dropped on the screens or the window (DropActions.cpp).
    void acceptDroppedFiles();
    void showCursorReadouts();
    // File > Recent Terrains (RecentTerrains.cpp).
    void buildRecentTerrainsMenu();
    void fillRecentTerrainsMenu();
    void rememberRecentTerrain(const QString& path);
    // A missing file is reported as any load reports it and leaves the list.
    bool openRecentTerrain(ScreenSide side, const QString& path);
    // Handles a drag or drop over a screen (null: elsewhere on the window); true when it did.
    bool handleDrop(GLGrid* view, QEvent* event);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The quilting choices a session keeps beside the screens.
    QJsonObject windowChoices() const;
    void applyWindowChoices(const QJsonObject& choices);
    bool openSessionAs(const QString& path, const QString& undoText);
    void startRecoveryAutosave();
    // "Convert PNG" after its first dialog: asks where to save the grid and converts.
    void convertPng(const QString& pngPath);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void restoreWindowSettings();
    void closeEvent(QCloseEvent* event) override;
    void recordBlockPaste();
    void saveDetailsOf(ScreenSide side);
    void showMessage(const QString& text);

    std::unique_ptr<UserDialogs> dialogs;
    OperationRunner* runner = nullptr;
    TerrainHistory* history = nullptr;
    std::unique_ptr<WindowDocument> document;
    std::unique_ptr<ScreenContent> leftBeforePaste; // the left screen as a block paste found it
    std::unique_ptr<RecoveryFolder> recoveryFolder;
    RecoveryAutosave* autosave = nullptr;
};
