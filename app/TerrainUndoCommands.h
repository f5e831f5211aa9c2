#pragma once

#include "app/ScreenSwap.h"

#include <QUndoCommand>

#include <cstdint>
#include <memory>
#include <vector>

// An undoable change of one or both screens, as the window made it: the swaps of
// the screens it changed. The change is already on the screens when it is
// recorded, so the first redo (QUndoStack::push runs one) does nothing.
struct TerrainChange {
    std::vector<ScreenSwap> swaps;

    void exchange();
    std::int64_t cost() const;
};

class TerrainUndoCommand : public QUndoCommand {
public:
    // replaying points at the history's flag: while it is set, undo and redo
    // only move the stack's index (the history rebuilds itself that way).
    TerrainUndoCommand(const QString& text, std::shared_ptr<TerrainChange> change, const bool* replaying);

    void undo() override;
    void redo() override;

    const std::shared_ptr<TerrainChange>& change() const { return change_; }

private:
    std::shared_ptr<TerrainChange> change_;
    const bool* replaying_;
    bool alreadyDone_ = true;
};
