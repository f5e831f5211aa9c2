#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>

// Rows of heights handed from the thread that makes them (a decoder) to a writer on
// others while they are made, through a ring of a few rows: the maker waits for room,
// the writer for rows, so the two overlap and neither holds the whole grid.
//
// The maker calls start (or end alone, when it has no rows to give), then fills the
// rows in order (rowToFill, rowFilled) and calls end; rows it never filled read as
// zeros. The writer calls waitForStart, then reads rows once waitForRows says they
// are there and gives them up with rowsWritten, and abandon when it reads no more.
class HeightRowRing {
public:
    HeightRowRing() = default;
    HeightRowRing(const HeightRowRing&) = delete;
    HeightRowRing& operator=(const HeightRowRing&) = delete;

    // The grid's size and how many rows the ring holds (at least one).
    void start(std::size_t rows, std::size_t columns, std::size_t capacityRows);
    // Where the next row goes, once the writer is done with the row it replaces.
    float* rowToFill();
    void rowFilled();
    // Fills the rows not filled yet with zeros and says the maker is done.
    void end();

    // False when the maker ended without starting.
    bool waitForStart();
    std::size_t rows() const { return rowCount; }
    std::size_t columns() const { return columnCount; }
    // Returns once every row below `endRow` has been filled.
    void waitForRows(std::size_t endRow);
    std::span<const float> row(std::size_t index) const;
    // The rows below `endRow` will not be read again.
    void rowsWritten(std::size_t endRow);
    // No row will be read again: the maker fills the rest without waiting (a writer that
    // failed, or is done, lets it finish).
    void abandon();

private:
    float* slot(std::size_t index) const;

    mutable std::mutex lock;
    std::condition_variable changed;
    bool started = false;
    bool ended = false;
    bool abandoned = false;
    std::size_t rowCount = 0;
    std::size_t columnCount = 0;
    std::size_t capacity = 0;
    std::unique_ptr<float[]> values; // capacity rows
    std::size_t filled = 0;          // rows filled so far
    std::size_t written = 0;         // rows the writer gave up
};
