#include "analysis/PitsAndFlats.h"

#include "analysis/Neighbourhood.h"

#include <algorithm>

PitsAndFlats pitsAndFlatsOf(const HeightField& field)
{
    long long pits = 0;
    long long flats = 0;
    long long inner = 0;
    for (int row = 1; row + 1 < field.height; ++row) {
        for (int column = 1; column + 1 < field.width; ++column) {
            const double here = field.at(row, column);
            bool lowest = true;
            double steepestDescent = 0.0;
            for (const NeighbourOffset& offset : eightNeighbours()) {
                const double neighbour = field.at(row + offset.rowOffset, column + offset.columnOffset);
                lowest = lowest && here < neighbour;
                steepestDescent = std::max(steepestDescent, (here - neighbour) / (offset.cells * field.cellSize));
            }
            ++inner;
            if (lowest)
                ++pits;
            else if (steepestDescent <= kFlatGradient)
                ++flats;
        }
    }
    PitsAndFlats shares;
    if (inner > 0) {
        shares.pitShare = static_cast<double>(pits) / inner;
        shares.flatShare = static_cast<double>(flats) / inner;
    }
    return shares;
}
