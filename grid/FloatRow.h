#pragma once

#include <cstddef>
#include <vector>

// One row of a FloatMatrix: a view of the row's floats inside the matrix's block. It
// reads and writes like the std::vector<float> a row once was, but its length is the
// matrix's. A row cannot be copied as a view, so no view outlives or aliases its matrix
// by accident: copying a row makes a std::vector<float> (the conversion below), and
// assigning one row to another copies the values.
class FloatRow {
public:
    using value_type = float;
    using size_type = std::size_t;
    using iterator = float*;
    using const_iterator = const float*;
    using reference = float&;
    using const_reference = const float&;

    FloatRow(const FloatRow&) = delete;
    ~FloatRow() = default;

    // Copies the values of a row of the same length (a programming error otherwise).
    FloatRow& operator=(const FloatRow& other);
    FloatRow& operator=(const std::vector<float>& values);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    float* data() { return values_; }
    const float* data() const { return values_; }
    float& operator[](std::size_t column) { return values_[column]; }
    const float& operator[](std::size_t column) const { return values_[column]; }
    float& front() { return values_[0]; }
    const float& front() const { return values_[0]; }
    float& back() { return values_[size_ - 1]; }
    const float& back() const { return values_[size_ - 1]; }

    float* begin() { return values_; }
    float* end() { return values_ + size_; }
    const float* begin() const { return values_; }
    const float* end() const { return values_ + size_; }
    const float* cbegin() const { return values_; }
    const float* cend() const { return values_ + size_; }

    // A copy of the values, for a row handed around by value (a profile curve, a line
    // worked on alone).
    operator std::vector<float>() const { return std::vector<float>(begin(), end()); }

    friend bool operator==(const FloatRow& row, const FloatRow& other);
    friend bool operator==(const FloatRow& row, const std::vector<float>& values);

private:
    friend class FloatMatrix;
    FloatRow() = default;

    float* values_ = nullptr;
    std::size_t size_ = 0;
};
