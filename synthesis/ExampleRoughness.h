#pragma once

#include "grid/VeskGrid.h"
#include "synthesis/BlockMapper.h"

// How rough an example terrain is one level down, block by block: the spread of
// the detail displacements that one Chaikin coarsening would produce there.

// The example's Chaikin details of one coarsening, computed without touching it.
struct ExampleDetailField {
    FloatMatrix columnDetails; // height / 2 - 1 rows of width values
    FloatMatrix rowDetails;    // height / 2 + 1 rows of width / 2 - 1 values
};

// The example must have even sides of at least 6 samples; otherwise both
// matrices come back empty.
ExampleDetailField exampleDetailField(const VeskGrid& example);

struct BlockRoughness {
    float deviation = 0.0f; // population standard deviation of the samples; 0 without samples
    float mean = 0.0f;
    int sampleCount = 0;
};

// The displacements under the example block of blockSize at examplePosition:
// from the column details, up to blockSize / 2 rows from ey / 2 - 1 and
// blockSize columns from ex; from the row details, up to blockSize / 2 + 1 rows
// from ey / 2 and blockSize - 1 columns from ex / 2 - 1. Each pair of
// neighbouring coefficients d, d' gives 0.75 d - 0.25 d' and 0.25 d - 0.75 d'.
BlockRoughness measureBlockRoughness(const ExampleDetailField& field, BlockPosition examplePosition, int blockSize);
