#include "grid/DetailLevelShape.h"

DetailLevelShape detailLevelShapeOf(std::int64_t rowDetailRows, std::int64_t rowDetailValues,
                                    std::int64_t columnDetailValues)
{
    if (columnDetailValues == 2 * rowDetailValues + 1)
        return {DetailScheme::Faber, rowDetailValues + 1, rowDetailRows};
    return {DetailScheme::Chaikin, rowDetailValues + 2, rowDetailRows};
}

DetailLevelShape detailLevelShapeFromHeader(std::int64_t columns, std::int64_t rows, std::int64_t fineColumns,
                                            std::int64_t fineRows)
{
    // Sizes are read before they are checked: a header of absurd sizes must not overflow
    // here (it is refused afterwards); no real level comes near 2^61.
    constexpr std::int64_t kLargestComparable = std::int64_t{1} << 61;
    const bool comparable = columns > -kLargestComparable && columns < kLargestComparable &&
                            rows > -kLargestComparable && rows < kLargestComparable;
    const DetailLevelShape faber{DetailScheme::Faber, columns, rows};
    if (comparable && fineColumns == faber.fineColumns() && fineRows == faber.fineRows())
        return faber;
    return {DetailScheme::Chaikin, columns, rows};
}
