#pragma once

#include "grid/VeskGrid.h"

#include <QString>

#include <cstddef>
#include <limits>

// The steps every terrain loader shares, for the readers of grid/ and for readers
// elsewhere (formats/) that fill the heights themselves: start (the old terrain and
// its details and georeferencing go), tally each height as it is stored, finish
// (statistics, summary, name).

// Running statistics of the heights as they are read. Only values above -100 count
// towards the mean (no-data markers such as -9999 stay out), only values above 0 can
// lower the minimum, every value can raise the maximum.
class HeightTally {
public:
    void add(double value)
    {
        if (value > -100.0) {
            validSum += value;
            ++validCount;
            if (value < smallestValid)
                smallestValid = value;
        }
        if (value < minimum && value > 0.0)
            minimum = static_cast<float>(value);
        if (value > maximum)
            maximum = static_cast<float>(value);
        if (value < smallestAny)
            smallestAny = value;
        ++total;
    }

    // The values of a run in file order, as add() one by one; on a copy, which the
    // compiler can keep in registers (the values could otherwise alias its members).
    template <typename Height>
    void addAll(const Height* values, std::size_t count)
    {
        HeightTally run = *this;
        for (std::size_t i = 0; i < count; ++i)
            run.add(values[i]);
        *this = run;
    }

    long long count() const { return total; }
    // Whether every value so far stays finite as a float: one beyond its range would
    // have made the maximum, or the smallest value as a float, infinite.
    bool withinFloatRange() const
    {
        return maximum < std::numeric_limits<float>::infinity()
               && static_cast<float>(smallestAny) > -std::numeric_limits<float>::infinity();
    }
    float maxHeight() const { return maximum; }

    // With no height above 0 (bathymetry, a depression) the smallest valid height,
    // failing that the smallest of all, so that the terrain has a finite range.
    float minHeight() const
    {
        if (minimum < 1e10f)
            return minimum;
        if (validCount > 0)
            return static_cast<float>(smallestValid);
        return static_cast<float>(smallestAny);
    }

    float averageHeight() const
    {
        if (validCount > 0)
            return static_cast<float>(validSum / static_cast<double>(validCount));
        return static_cast<float>(printedAverage());
    }

    // The summary's average: the valid sum over all values.
    double printedAverage() const { return total > 0 ? validSum / static_cast<double>(total) : 0.0; }

private:
    double validSum = 0.0;
    long long validCount = 0;
    long long total = 0;
    // Every load starts from these, never from the previous terrain's values.
    float minimum = 1e10f;
    float maximum = -1e10f;
    double smallestValid = std::numeric_limits<double>::infinity();
    double smallestAny = std::numeric_limits<double>::infinity();
};

// The old terrain, its details and its georeferencing go; `format` names the
// file's format in the opening message ("Loading %s Grid File").
void startLoad(VeskGrid& grid, const char* format);

// Statistics from the tally, the summary lines, the name from the file name. The
// normals, curvature and slope are left to their first use.
void finishLoad(VeskGrid& grid, const QString& fileName, float cellSize, const HeightTally& tally);
