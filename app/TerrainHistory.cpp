#include "app/TerrainHistory.h"

#include <QUndoStack>

#include <memory>
#include <utility>
#include <vector>

namespace {

QString mebibytes(std::int64_t bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

TerrainHistory::TerrainHistory(QObject* parent) : QObject(parent), undoStack(new QUndoStack(this)) {}

void TerrainHistory::push(const QString& text, TerrainChange change)
{
    undoStack->push(new TerrainUndoCommand(text, std::make_shared<TerrainChange>(std::move(change)), &replaying));
    keepWithinLimit();
}

void TerrainHistory::setLimitBytes(std::int64_t bytes)
{
    limit = bytes;
    keepWithinLimit();
}

const TerrainUndoCommand* TerrainHistory::commandAt(int index) const
{
    return static_cast<const TerrainUndoCommand*>(undoStack->command(index));
}

std::int64_t TerrainHistory::totalBytes() const
{
    std::int64_t bytes = 0;
    for (int index = 0; index < undoStack->count(); ++index)
        bytes += commandAt(index)->change()->cost();
    return bytes;
}

// QUndoStack can drop its oldest commands only by a count fixed while it is empty,
// so the stack is rebuilt from the changes that stay: they are pushed again and the
// index put back while the commands only move the index.
void TerrainHistory::keepWithinLimit()
{
    std::int64_t total = totalBytes();
    if (total <= limit)
        return;

    int dropCount = 0;
    QStringList droppedTexts;
    while (dropCount < undoStack->count() && total > limit) {
        total -= commandAt(dropCount)->change()->cost();
        droppedTexts << commandAt(dropCount)->text();
        ++dropCount;
    }
    struct Kept {
        QString text;
        std::shared_ptr<TerrainChange> change;
    };
    std::vector<Kept> kept;
    for (int index = dropCount; index < undoStack->count(); ++index)
        kept.push_back({commandAt(index)->text(), commandAt(index)->change()});
    const int index = undoStack->index() - dropCount;

    replaying = true;
    undoStack->clear();
    for (Kept& entry : kept)
        undoStack->push(new TerrainUndoCommand(entry.text, std::move(entry.change), &replaying));
    undoStack->setIndex(index < 0 ? 0 : index);
    replaying = false;

    emit dropped(QStringLiteral("Undo history over %1 MiB: dropped %2")
                     .arg(mebibytes(limit), droppedTexts.join(QStringLiteral(", "))));
}
