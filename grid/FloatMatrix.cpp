#include "grid/FloatMatrix.h"

#include <algorithm>
#include <cmath>
#include <cassert>
#include <cstring>

FloatMatrix::FloatMatrix(std::size_t rows, std::size_t columns, float value)
{
    assign(rows, columns, value);
}

FloatMatrix::FloatMatrix(std::size_t rows, const std::vector<float>& row)
{
    assign(rows, row);
}

FloatMatrix::FloatMatrix(std::initializer_list<std::vector<float>> rows)
{
    takeShape(rows.size(), rows.size() == 0 ? 0 : rows.begin()->size());
    float* next = data();
    for (const std::vector<float>& row : rows) {
        assert(row.size() == columns_);
        next = std::copy_n(row.begin(), std::min(row.size(), columns_), next);
    }
}

FloatMatrix::FloatMatrix(const std::vector<std::vector<float>>& rows)
{
    takeShape(rows.size(), rows.empty() ? 0 : rows.front().size());
    float* next = data();
    for (const std::vector<float>& row : rows) {
        assert(row.size() == columns_);
        next = std::copy_n(row.begin(), std::min(row.size(), columns_), next);
    }
}

FloatMatrix FloatMatrix::uninitialized(std::size_t rows, std::size_t columns)
{
    FloatMatrix matrix;
    matrix.reshape(rows, columns);
    return matrix;
}

FloatMatrix::FloatMatrix(const FloatMatrix& other)
{
    *this = other;
}

FloatMatrix::FloatMatrix(FloatMatrix&& other) noexcept
{
    swap(other);
}

FloatMatrix& FloatMatrix::operator=(const FloatMatrix& other)
{
    if (this != &other) {
        reshape(other.rows_, other.columns_);
        if (other.valueCount() > 0)
            std::memcpy(data(), other.data(), other.valueCount() * sizeof(float));
    }
    return *this;
}

FloatMatrix& FloatMatrix::operator=(FloatMatrix&& other) noexcept
{
    if (this != &other) {
        FloatMatrix gone(std::move(*this));
        swap(other);
    }
    return *this;
}

FloatMatrix::~FloatMatrix()
{
    releaseFloatBlock(block_);
}

void FloatMatrix::reshape(std::size_t rows, std::size_t columns)
{
    takeShape(rows, columns);
}

void FloatMatrix::assign(std::size_t rows, std::size_t columns, float value)
{
    if (takeShape(rows, columns) && value == 0.0f && !std::signbit(value))
        return;
    std::fill_n(data(), valueCount(), value);
}

void FloatMatrix::assign(std::size_t rows, const std::vector<float>& row)
{
    takeShape(rows, row.size());
    for (FloatRow& each : *this)
        std::copy(row.begin(), row.end(), each.begin());
}

void FloatMatrix::clear()
{
    FloatMatrix().swap(*this);
}

void FloatMatrix::swap(FloatMatrix& other) noexcept
{
    std::swap(block_, other.block_);
    std::swap(rows_, other.rows_);
    std::swap(columns_, other.columns_);
    std::swap(rowViews_, other.rowViews_);
    std::swap(rowViewCapacity_, other.rowViewCapacity_);
}

bool FloatMatrix::takeShape(std::size_t rows, std::size_t columns)
{
    const std::size_t count = rows * columns;
    bool zeroed = false;
    if (count > block_.capacity) {
        // The old values are not kept: give the old block back before asking for the new.
        releaseFloatBlock(block_);
        block_ = {};
        block_ = allocateFloatBlock(count);
        zeroed = block_.zeroed;
        block_.zeroed = false;
    }
    if (rows > rowViewCapacity_) {
        rowViews_.reset(new FloatRow[rows]);
        rowViewCapacity_ = rows;
    }
    rows_ = rows;
    columns_ = columns;
    for (std::size_t row = 0; row < rows; ++row) {
        rowViews_[row].values_ = block_.values + row * columns;
        rowViews_[row].size_ = columns;
    }
    return zeroed;
}

bool operator==(const FloatMatrix& matrix, const FloatMatrix& other)
{
    return matrix.rows_ == other.rows_ && matrix.columns_ == other.columns_
        && std::equal(matrix.data(), matrix.data() + matrix.valueCount(), other.data());
}
