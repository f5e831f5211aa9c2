#pragma once

#include "app/ScreenContent.h"

#include <QJsonObject>
#include <QString>

class GLGrid;
class TerrainHistory;
struct TerrainFormatRow;
struct TerrainSession;

// The window's two screens.
enum class ScreenSide { left, right };

// "Left Screen" or "Right Screen", as messages and undo texts name them.
QString screenName(ScreenSide side);

// The window's document: the terrains and marks of both screens, which the views show
// and a session saves. It is the one way the window reads or changes a screen's content:
// copies to work on, changes put up as one undoable step of the history, the exchanges of
// undo and redo, and every file written from the screens (terrains, details, a split,
// the session that Save Session and the recovery autosave write). The views draw and
// edit it in their own slots (a block paste, the selection); the window hears of those
// through their signals.
class WindowDocument {
public:
    WindowDocument(GLGrid& left, GLGrid& right, TerrainHistory& history);

    // What the side shows, read on the GUI thread, or from an operation's worker
    // while the operation runner keeps everything that changes a terrain still.
    const VeskGrid& terrain(ScreenSide side) const;

    // A copy of the side's content to work on, without the surface data drawn from the
    // heights (normals, curvature, slope), which is made again when needed.
    ScreenContent copyOf(ScreenSide side);

    // Puts the content on the side (refreshing its controls and plots and framing the new
    // terrain) and records the change under the text; both sides together are one step.
    void replace(ScreenSide side, ScreenContent content, const QString& undoText);
    void replaceBoth(ScreenContent left, ScreenContent right, const QString& undoText);
    // Records a change the side's view made itself; earlier is what it showed before.
    void record(ScreenSide side, ScreenContent earlier, const QString& undoText);
    // Both screens of a session that read whole, as one undoable step.
    void openSession(TerrainSession session, const QString& undoText);

    // The exchange of undo and redo (ScreenSwap), recording nothing: moves the content
    // out of the side, leaving it empty, and puts content on it, refreshed and framed.
    ScreenContent take(ScreenSide side);
    void show(ScreenSide side, ScreenContent content);
    // The side's controls and plots show its terrain again (after a refused change).
    void refresh(ScreenSide side);

    // Writers, run in an operation's worker; each says as its writer does
    // (grid/VeskGrid.h, formats/TerrainFormatTable.h, grid/SessionFile.h).
    bool writeTerrain(ScreenSide side, const TerrainFormatRow& format, const QString& fileName, QString& reason);
    // An ASCII grid; an empty name lets the grid choose one from its own name and size.
    bool writeTerrain(ScreenSide side, QString& fileName);
    void writeDetails(ScreenSide side, QString& fileName, int& count);
    bool writeTerrainSplit(ScreenSide side, QString& leftName, QString& rightName);
    // Both screens whole, with the window's choices beside them.
    bool writeSession(const QString& fileName, const QJsonObject& window, QString& reason) const;

private:
    GLGrid& view(ScreenSide side) const;
    // Hands back what the side showed, without its surface data.
    ScreenContent swapIn(ScreenSide side, ScreenContent content);

    GLGrid* left;
    GLGrid* right;
    TerrainHistory* history;
};
