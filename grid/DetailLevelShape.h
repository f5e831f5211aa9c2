#pragma once

#include <cstdint>

// The shapes of one level of details, for a coarse grid of N columns by M rows.
// The two schemes that keep details lay a level out alike and differ by one value
// per line: a Chaikin line of n coarse samples has n - 2 details and refines to
// 2n - 2 samples, a Faber line has n - 1 details and refines to 2n - 1.
//
//                    row details          column details        fine grid
//   Chaikin          M x (N - 2)          (M - 2) x (2N - 2)    (2N - 2) x (2M - 2)
//   Faber            M x (N - 1)          (M - 1) x (2N - 1)    (2N - 1) x (2M - 1)
//
// A details file records N, M and the fine size; the fine size tells the schemes apart.
enum class DetailScheme { Chaikin, Faber };

struct DetailLevelShape {
    DetailScheme scheme = DetailScheme::Chaikin;
    std::int64_t columns = 0; // N, the coarse width
    std::int64_t rows = 0;    // M, the coarse height

    // Details a line of n coarse samples loses to the scheme's ends: 2 or 1.
    std::int64_t shortfall() const { return scheme == DetailScheme::Faber ? 1 : 2; }

    std::int64_t rowDetailRows() const { return rows; }
    std::int64_t rowDetailValues() const { return columns - shortfall(); }
    std::int64_t columnDetailRows() const { return rows - shortfall(); }
    std::int64_t columnDetailValues() const { return 2 * columns - shortfall(); }
    std::int64_t fineColumns() const { return 2 * columns - shortfall(); }
    std::int64_t fineRows() const { return 2 * rows - shortfall(); }
    // Both matrices together.
    std::int64_t values() const
    {
        return rowDetailRows() * rowDetailValues() + columnDetailRows() * columnDetailValues();
    }

    // The same scheme for another coarse size.
    DetailLevelShape resizedTo(std::int64_t newColumns, std::int64_t newRows) const
    {
        return {scheme, newColumns, newRows};
    }
};

// The level a pair of matrices forms: Faber when the column details have one value
// more than twice the row details' (2N - 1 against N - 1), Chaikin otherwise.
DetailLevelShape detailLevelShapeOf(std::int64_t rowDetailRows, std::int64_t rowDetailValues,
                                    std::int64_t columnDetailValues);

// The level a details file header describes: Faber when its fine size is exactly
// 2N - 1 by 2M - 1; anything else reads as Chaikin, as every file did before Faber
// levels were written.
DetailLevelShape detailLevelShapeFromHeader(std::int64_t columns, std::int64_t rows, std::int64_t fineColumns,
                                            std::int64_t fineRows);
