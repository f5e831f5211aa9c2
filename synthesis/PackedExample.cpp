#include "synthesis/PackedExample.h"

#include "grid/HugePageAdvice.h"

#include <climits>

PackedExample::PackedExample(const FloatMatrix& heights)
{
    if (heights.empty())
        return;
    const std::size_t columns = heights.front().size();
    if (columns == 0 || heights.size() * columns > static_cast<std::size_t>(INT_MAX))
        return;
    for (const FloatRow& row : heights)
        if (row.size() != columns)
            return;
    samples.reserve(heights.size() * columns);
    adviseHugePages(samples.data(), samples.capacity() * sizeof(float));
    for (const FloatRow& row : heights)
        samples.insert(samples.end(), row.begin(), row.end());
    width = static_cast<int>(columns);
}
