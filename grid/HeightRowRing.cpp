#include "grid/HeightRowRing.h"

#include <algorithm>

void HeightRowRing::start(std::size_t rows, std::size_t columns, std::size_t capacityRows)
{
    const std::lock_guard guard(lock);
    rowCount = rows;
    columnCount = columns;
    capacity = std::max<std::size_t>(1, std::min(capacityRows, rows));
    values = std::make_unique_for_overwrite<float[]>(capacity * columns);
    started = true;
    changed.notify_all();
}

float* HeightRowRing::slot(std::size_t index) const
{
    return values.get() + (index % capacity) * columnCount;
}

float* HeightRowRing::rowToFill()
{
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return abandoned || filled < written + capacity; });
    return slot(filled);
}

void HeightRowRing::rowFilled()
{
    const std::lock_guard guard(lock);
    ++filled;
    changed.notify_all();
}

void HeightRowRing::end()
{
    bool wasStarted = false;
    {
        const std::lock_guard guard(lock);
        wasStarted = started;
    }
    if (wasStarted) {
        while (filled < rowCount) { // only this thread changes `filled`
            float* const zeros = rowToFill();
            std::fill(zeros, zeros + columnCount, 0.0f);
            rowFilled();
        }
    }
    const std::lock_guard guard(lock);
    ended = true;
    changed.notify_all();
}

bool HeightRowRing::waitForStart()
{
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return started || ended; });
    return started;
}

void HeightRowRing::waitForRows(std::size_t endRow)
{
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return filled >= std::min(endRow, rowCount); });
}

std::span<const float> HeightRowRing::row(std::size_t index) const
{
    return {slot(index), columnCount};
}

void HeightRowRing::rowsWritten(std::size_t endRow)
{
    const std::lock_guard guard(lock);
    written = std::max(written, endRow);
    changed.notify_all();
}

void HeightRowRing::abandon()
{
    const std::lock_guard guard(lock);
    abandoned = true;
    changed.notify_all();
}
