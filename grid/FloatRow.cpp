#include "grid/FloatRow.h"

#include <algorithm>
#include <cassert>

FloatRow& FloatRow::operator=(const FloatRow& other)
{
    assert(other.size_ == size_);
    if (this != &other)
        std::copy_n(other.values_, std::min(other.size_, size_), values_);
    return *this;
}

FloatRow& FloatRow::operator=(const std::vector<float>& values)
{
    assert(values.size() == size_);
    std::copy_n(values.begin(), std::min(values.size(), size_), values_);
    return *this;
}

bool operator==(const FloatRow& row, const FloatRow& other)
{
    return std::equal(row.begin(), row.end(), other.begin(), other.end());
}

bool operator==(const FloatRow& row, const std::vector<float>& values)
{
    return std::equal(row.begin(), row.end(), values.begin(), values.end());
}
