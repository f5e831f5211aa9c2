#pragma once

#include "grid/FloatBlock.h"
#include "grid/FloatRow.h"

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

// Heights and detail coefficients: `rows` rows of `columns` single-precision floats, all
// in one block, row after row. Read and written like the rows of floats it once was
// (matrix[row][column], a row's size(), for over the rows, copies that are deep), but a
// block of 2 MiB or more is aligned to 2 MiB and advised for huge pages, so a terrain of
// millions of samples costs a few dozen page faults rather than thousands, and rows
// never need a memory allocation of their own.
class FloatMatrix {
public:
    using value_type = FloatRow;
    using size_type = std::size_t;
    using iterator = FloatRow*;
    using const_iterator = const FloatRow*;
    using reference = FloatRow&;
    using const_reference = const FloatRow&;

    FloatMatrix() = default;
    // rows x columns, every value `value`.
    FloatMatrix(std::size_t rows, std::size_t columns, float value = 0.0f);
    // `rows` copies of `row`.
    FloatMatrix(std::size_t rows, const std::vector<float>& row);
    // The rows given, which must be of one length.
    FloatMatrix(std::initializer_list<std::vector<float>> rows);
    explicit FloatMatrix(const std::vector<std::vector<float>>& rows);

    // rows x columns whose values the caller writes, every one, before reading any: a
    // reader or a step filling its output pays for no zeros it overwrites.
    static FloatMatrix uninitialized(std::size_t rows, std::size_t columns);

    FloatMatrix(const FloatMatrix& other);
    FloatMatrix(FloatMatrix&& other) noexcept;
    // Copies the values; the block is kept when it is large enough.
    FloatMatrix& operator=(const FloatMatrix& other);
    FloatMatrix& operator=(FloatMatrix&& other) noexcept;
    ~FloatMatrix();

    // Rows, as a std::vector of rows would say.
    std::size_t size() const { return rows_; }
    bool empty() const { return rows_ == 0; }
    std::size_t rows() const { return rows_; }
    std::size_t columns() const { return columns_; }
    std::size_t valueCount() const { return rows_ * columns_; }

    FloatRow& operator[](std::size_t row) { return rowViews_[row]; }
    const FloatRow& operator[](std::size_t row) const { return rowViews_[row]; }
    FloatRow& front() { return rowViews_[0]; }
    const FloatRow& front() const { return rowViews_[0]; }
    FloatRow& back() { return rowViews_[rows_ - 1]; }
    const FloatRow& back() const { return rowViews_[rows_ - 1]; }

    FloatRow* begin() { return rowViews_.get(); }
    FloatRow* end() { return rowViews_.get() + rows_; }
    const FloatRow* begin() const { return rowViews_.get(); }
    const FloatRow* end() const { return rowViews_.get() + rows_; }

    // The values row after row: row r starts at data() + r * columns().
    float* data() { return block_.values; }
    const float* data() const { return block_.values; }

    // Becomes rows x columns of unwritten values (as uninitialized), keeping the block
    // when it holds enough: an operation replacing a matrix of the same shape reuses it.
    void reshape(std::size_t rows, std::size_t columns);
    // Becomes rows x columns, every value `value`, keeping the block when it can.
    void assign(std::size_t rows, std::size_t columns, float value = 0.0f);
    // Becomes `rows` copies of `row`, keeping the block when it can.
    void assign(std::size_t rows, const std::vector<float>& row);
    // No rows; the block is given back.
    void clear();
    void swap(FloatMatrix& other) noexcept;

    friend bool operator==(const FloatMatrix& matrix, const FloatMatrix& other);

private:
    // Makes the matrix rows x columns on a block that holds them, the old one when it
    // does; true when every value is 0 (a block fresh from the system).
    bool takeShape(std::size_t rows, std::size_t columns);

    FloatBlock block_;
    std::size_t rows_ = 0;
    std::size_t columns_ = 0;
    std::unique_ptr<FloatRow[]> rowViews_;
    std::size_t rowViewCapacity_ = 0;
};
