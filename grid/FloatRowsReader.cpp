#include "grid/FloatRowsReader.h"

#include "grid/MemoryPopulation.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Rows are read a band of about this many bytes at a time.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;
// The stretch whose pages the caller's thread makes present at a time: one huge page.
constexpr std::size_t kPopulatedValues = (std::size_t{1} << 21) / sizeof(float);

void swapFromFileOrder(float* values, std::size_t count, bool bigEndian)
{
    if (bigEndian == (std::endian::native == std::endian::big))
        return;
    auto* words = reinterpret_cast<std::uint32_t*>(values);
    for (std::size_t i = 0; i < count; ++i)
        words[i] = __builtin_bswap32(words[i]);
}

// How far the reading thread has come, and whether the caller still wants more.
class ReadProgress {
public:
    // The reader: `values` more complete floats are in place; `ended` when that read
    // came short (the data ends, or could not be read: `failed`).
    void advance(std::size_t values, bool ended, bool failed)
    {
        {
            const std::lock_guard lock(mutex_);
            valuesRead_ += values;
            ended_ = ended;
            failed_ = failed;
        }
        changed_.notify_one();
    }

    // The caller: waits until `values` floats are in place or no more will come, and
    // gives how many are.
    std::size_t waitFor(std::size_t values)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return valuesRead_ >= values || ended_; });
        return valuesRead_;
    }

    std::size_t valuesRead()
    {
        const std::lock_guard lock(mutex_);
        return valuesRead_;
    }

    bool failed()
    {
        const std::lock_guard lock(mutex_);
        return failed_;
    }

    void stop()
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }

    bool stopped()
    {
        const std::lock_guard lock(mutex_);
        return stopped_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t valuesRead_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    bool stopped_ = false;
};

} // namespace

FloatRowsOutcome readFloatRows(std::FILE* file, float* to, int rows, std::size_t columns, bool bigEndian,
                               const std::function<bool(int row, float* values, std::size_t complete)>& take)
{
    FloatRowsOutcome outcome;
    if (rows <= 0 || columns == 0)
        return outcome;
    const std::size_t total = static_cast<std::size_t>(rows) * columns;
    const std::size_t bandValues = std::max(kBandBytes / sizeof(float) / columns, std::size_t{1}) * columns;
    ReadProgress progress;
    const auto read = [&] {
        for (std::size_t done = 0; done < total && !progress.stopped();) {
            const std::size_t wanted = std::min(bandValues, total - done);
            const std::size_t got = std::fread(to + done, 1, wanted * sizeof(float), file) / sizeof(float);
            done += got;
            const bool ended = got < wanted;
            progress.advance(got, ended, ended && std::ferror(file) != 0);
            if (ended)
                return;
        }
    };
    // Without a thread to spare, everything is read before the first row is handed over.
    std::thread reader;
    try {
        reader = std::thread(read);
    } catch (const std::system_error&) {
        read();
    }
    // While the reader copies into the rows from the first on (taking the page faults of
    // that fresh memory), this thread takes those of the last rows, 2 MiB at a time from
    // the end, until it meets the reader: how the faults are shared adapts to their cost.
    if (reader.joinable()) {
        for (std::size_t from = total; from > 0;) {
            const std::size_t begin = (from - 1) / kPopulatedValues * kPopulatedValues;
            if (begin < progress.valuesRead() + bandValues)
                break;
            populateForWriting(to + begin, (from - begin) * sizeof(float));
            from = begin;
        }
    }
    std::size_t available = 0;
    for (int row = 0; row < rows; ++row) {
        const std::size_t start = static_cast<std::size_t>(row) * columns;
        if (available < start + columns)
            available = progress.waitFor(std::min(start + bandValues, total));
        const std::size_t complete = available > start ? std::min(columns, available - start) : 0;
        float* const values = to + start;
        swapFromFileOrder(values, complete, bigEndian);
        if (!take(row, values, complete))
            break;
        if (complete < columns) {
            outcome.readFailed = progress.failed();
            break;
        }
    }
    progress.stop();
    if (reader.joinable())
        reader.join();
    return outcome;
}
