#include "analysis/D8Drainage.h"

#include "analysis/Neighbourhood.h"

#include <cmath>
#include <deque>
#include <limits>
#include <queue>
#include <tuple>

namespace {

bool onBorder(const HeightField& field, int row, int column)
{
    return row == 0 || column == 0 || row == field.height - 1 || column == field.width - 1;
}

// The spill level of every sample, the sample each was flooded from (-1 on the border)
// and the order they were flooded in. Equal levels leave in the order they came, so the
// flood (and every receiver made from it) is the same on every run.
struct Flood {
    std::vector<double> spillLevels;
    std::vector<std::int32_t> floodedFrom;
    std::vector<std::int32_t> order;
};

Flood priorityFlood(const HeightField& field)
{
    using Entry = std::tuple<double, std::int64_t, std::int32_t>; // level, arrival, sample
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    Flood flood;
    flood.spillLevels.assign(field.sampleCount(), std::numeric_limits<double>::quiet_NaN());
    flood.floodedFrom.assign(field.sampleCount(), -1);
    flood.order.reserve(field.sampleCount());
    std::vector<char> reached(field.sampleCount(), 0);
    std::int64_t arrivals = 0;
    for (int row = 0; row < field.height; ++row) {
        for (int column = 0; column < field.width; ++column) {
            if (!onBorder(field, row, column))
                continue;
            const auto sample = static_cast<std::int32_t>(field.indexOf(row, column));
            reached[sample] = 1;
            flood.spillLevels[sample] = field.heights[sample];
            queue.emplace(field.heights[sample], arrivals++, sample);
        }
    }
    while (!queue.empty()) {
        const auto [level, arrival, sample] = queue.top();
        queue.pop();
        flood.order.push_back(sample);
        const int row = sample / field.width;
        const int column = sample % field.width;
        for (const NeighbourOffset& offset : eightNeighbours()) {
            const int neighbourRow = row + offset.rowOffset;
            const int neighbourColumn = column + offset.columnOffset;
            if (neighbourRow < 0 || neighbourColumn < 0 || neighbourRow >= field.height || neighbourColumn >= field.width)
                continue;
            const auto neighbour = static_cast<std::int32_t>(field.indexOf(neighbourRow, neighbourColumn));
            if (reached[neighbour])
                continue;
            reached[neighbour] = 1;
            const double neighbourLevel = std::max(field.heights[neighbour], level);
            flood.spillLevels[neighbour] = neighbourLevel;
            flood.floodedFrom[neighbour] = sample;
            queue.emplace(neighbourLevel, arrivals++, neighbour);
        }
    }
    return flood;
}

// The neighbour of steepest descent, or -1 when no neighbour is lower.
std::int32_t steepestDescent(const HeightField& field, int row, int column)
{
    const double here = field.at(row, column);
    double steepest = 0.0;
    std::int32_t receiver = -1;
    for (const NeighbourOffset& offset : eightNeighbours()) {
        const std::size_t neighbour = field.indexOf(row + offset.rowOffset, column + offset.columnOffset);
        const double descent = (here - field.heights[neighbour]) / offset.cells;
        if (descent > steepest) {
            steepest = descent;
            receiver = static_cast<std::int32_t>(neighbour);
        }
    }
    return receiver;
}

// Drainage areas by passing each sample's area on once all its donors have passed theirs.
std::vector<std::int64_t> accumulatedAreas(const std::vector<std::int32_t>& receivers)
{
    std::vector<std::int32_t> pendingDonors(receivers.size(), 0);
    for (const std::int32_t receiver : receivers)
        if (receiver >= 0)
            ++pendingDonors[receiver];
    std::vector<std::int64_t> areas(receivers.size(), 1);
    std::deque<std::int32_t> ready;
    for (std::size_t sample = 0; sample < receivers.size(); ++sample)
        if (pendingDonors[sample] == 0)
            ready.push_back(static_cast<std::int32_t>(sample));
    while (!ready.empty()) {
        const std::int32_t sample = ready.front();
        ready.pop_front();
        const std::int32_t receiver = receivers[sample];
        if (receiver < 0)
            continue;
        areas[receiver] += areas[sample];
        if (--pendingDonors[receiver] == 0)
            ready.push_back(receiver);
    }
    return areas;
}

} // namespace

DrainageNetwork d8Drainage(const HeightField& field)
{
    const Flood flood = priorityFlood(field);
    // Where water leaves a sample's hollow or flat: in flood order, each sample's
    // flooded-from sample already has its exit.
    std::vector<std::int32_t> exits(field.sampleCount(), -1);
    for (const std::int32_t sample : flood.order) {
        const std::int32_t from = flood.floodedFrom[sample];
        if (from < 0)
            continue;
        const bool fromIsBorder = flood.floodedFrom[from] < 0;
        exits[sample] = fromIsBorder || flood.spillLevels[from] < flood.spillLevels[sample] ? from : exits[from];
    }
    DrainageNetwork network;
    network.receivers.assign(field.sampleCount(), -1);
    for (int row = 1; row + 1 < field.height; ++row) {
        for (int column = 1; column + 1 < field.width; ++column) {
            const std::size_t sample = field.indexOf(row, column);
            const std::int32_t downhill = steepestDescent(field, row, column);
            network.receivers[sample] = downhill >= 0 ? downhill : exits[sample];
        }
    }
    network.drainageAreas = accumulatedAreas(network.receivers);
    return network;
}

DrainageFigures drainageFiguresOf(const DrainageNetwork& network)
{
    const auto samples = static_cast<double>(network.drainageAreas.size());
    DrainageFigures figures;
    long long channels = 0;
    for (const std::int64_t area : network.drainageAreas)
        channels += area >= kChannelArea ? 1 : 0;
    figures.channelShare = samples > 0 ? channels / samples : 0.0;

    // Least squares over the points (log10 a, log10 P(A >= a)).
    double sumX = 0.0, sumY = 0.0, sumXX = 0.0, sumXY = 0.0;
    int points = 0;
    for (std::int64_t area = 4; area <= 1024; area *= 2) {
        long long exceeding = 0;
        for (const std::int64_t drained : network.drainageAreas)
            exceeding += drained >= area ? 1 : 0;
        if (exceeding == 0)
            continue;
        const double x = std::log10(static_cast<double>(area));
        const double y = std::log10(exceeding / samples);
        sumX += x;
        sumY += y;
        sumXX += x * x;
        sumXY += x * y;
        ++points;
    }
    figures.exceedanceSlope = points >= 2 ? (points * sumXY - sumX * sumY) / (points * sumXX - sumX * sumX)
                                          : std::numeric_limits<double>::quiet_NaN();
    return figures;
}
