#pragma once

#include "app/TerrainUndoCommands.h"

#include <QObject>
#include <QString>

#include <cstdint>

class QUndoStack;

// The undo history of both screens: a QUndoStack of terrain changes bounded by the
// memory they hold. A push that takes the total over the bound drops the oldest
// changes first (the newest too, if it alone is larger) and says so.
class TerrainHistory : public QObject {
    Q_OBJECT

public:
    static constexpr std::int64_t defaultLimitBytes = std::int64_t{2} << 30; // 2 GiB

    explicit TerrainHistory(QObject* parent = nullptr);

    QUndoStack* stack() const { return undoStack; }

    // Records a change the screens show already.
    void push(const QString& text, TerrainChange change);

    void setLimitBytes(std::int64_t bytes);
    std::int64_t limitBytes() const { return limit; }
    // What the recorded changes hold now.
    std::int64_t totalBytes() const;

signals:
    // A change was dropped to keep within the bound; the text says which.
    void dropped(const QString& message);

private:
    void keepWithinLimit();
    const TerrainUndoCommand* commandAt(int index) const;

    QUndoStack* undoStack;
    std::int64_t limit = defaultLimitBytes;
    bool replaying = false;
};
