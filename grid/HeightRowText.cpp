#include "grid/HeightRowText.h"

#include "grid/PipelineItemPool.h"

#include <tbb/parallel_pipeline.h>

#include <algorithm>
#include <memory>

namespace {

// Half a megabyte of text per band: large enough to share out, small enough that the
// bands in flight (a few per core) stay in the cache and add little to the peak.
constexpr std::size_t kBandBytes = std::size_t{1} << 19;
constexpr std::size_t kBandsInFlight = 8;

struct Band {
    std::size_t firstRow = 0;
    std::size_t endRow = 0;
    std::unique_ptr<char[]> text; // capacity bytes, written before read
    std::size_t capacity = 0;
    std::size_t length = 0;
};

std::size_t rowsPerBand(std::size_t typicalRow)
{
    return std::max<std::size_t>(1, kBandBytes / (std::max<std::size_t>(1, typicalRow) * 8 + 1));
}

} // namespace

std::size_t longestHeightRowText(std::size_t count)
{
    return count * (longestFixedFloat(2) + 1) + 1;
}

char* formatHeightRow(std::span<const float> values, char* text)
{
    text = formatFixedValues(values, 2, ' ', text);
    *text++ = '\n';
    return text;
}

std::size_t heightRowsInFlight(std::size_t columns)
{
    return kBandsInFlight * rowsPerBand(columns);
}

void writeHeightRows(FixedFormatWriter& out, std::size_t rowCount,
                     const std::function<std::span<const float>(std::size_t)>& rowValues)
{
    writeHeightRows(out, rowCount, rowValues, HeightRowPacing{});
}

void writeHeightRows(FixedFormatWriter& out, std::size_t rowCount,
                     const std::function<std::span<const float>(std::size_t)>& rowValues,
                     const HeightRowPacing& pacing)
{
    if (rowCount == 0)
        return;
    const std::size_t bandRows = rowsPerBand(rowValues(0).size());
    std::size_t nextRow = 0;
    PipelineItemPool<Band> bands;
    auto cutBand = [&](tbb::flow_control& control) -> Band* {
        if (nextRow >= rowCount) {
            control.stop();
            return nullptr;
        }
        Band* const band = bands.take();
        band->firstRow = nextRow;
        band->endRow = std::min(rowCount, nextRow + bandRows);
        nextRow = band->endRow;
        // Waiting here, in the one serial stage before the formatting, holds up no band
        // already cut: those are formatted and written meanwhile.
        if (pacing.waitForRows)
            pacing.waitForRows(band->endRow);
        return band;
    };
    auto formatBand = [&](Band* band) {
        std::size_t room = 0;
        for (std::size_t row = band->firstRow; row < band->endRow; ++row)
            room += longestHeightRowText(rowValues(row).size());
        if (band->capacity < room) {
            band->text = std::make_unique_for_overwrite<char[]>(room);
            band->capacity = room;
        }
        char* end = band->text.get();
        for (std::size_t row = band->firstRow; row < band->endRow; ++row)
            end = formatHeightRow(rowValues(row), end);
        band->length = static_cast<std::size_t>(end - band->text.get());
        return band;
    };
    auto writeBand = [&](Band* band) {
        out.text(std::string_view(band->text.get(), band->length));
        if (pacing.rowsWritten)
            pacing.rowsWritten(band->endRow);
        bands.giveBack(band);
    };
    tbb::parallel_pipeline(kBandsInFlight,
                           tbb::make_filter<void, Band*>(tbb::filter_mode::serial_in_order, cutBand)
                               & tbb::make_filter<Band*, Band*>(tbb::filter_mode::parallel, formatBand)
                               & tbb::make_filter<Band*, void>(tbb::filter_mode::serial_in_order, writeBand));
}
