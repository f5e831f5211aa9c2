#include "app/TerrainUndoCommands.h"

#include <utility>

void TerrainChange::exchange()
{
    for (ScreenSwap& swap : swaps)
        swap.exchange();
}

std::int64_t TerrainChange::cost() const
{
    std::int64_t bytes = 0;
    for (const ScreenSwap& swap : swaps)
        bytes += swap.cost();
    return bytes;
}

TerrainUndoCommand::TerrainUndoCommand(const QString& text, std::shared_ptr<TerrainChange> change,
                                       const bool* replaying)
    : QUndoCommand(text), change_(std::move(change)), replaying_(replaying)
{
}

void TerrainUndoCommand::undo()
{
    if (!*replaying_)
        change_->exchange();
}

void TerrainUndoCommand::redo()
{
    if (alreadyDone_ || *replaying_) {
        alreadyDone_ = false;
        return;
    }
    change_->exchange();
}
