#pragma once

#include "grid/VeskGrid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

// Grids and comparisons shared by the synthesis tests.

// A terrain of width x height samples whose heights come from heightAt(x, y).
inline VeskGrid makeTerrain(int width, int height, const std::function<float(int, int)>& heightAt)
{
    VeskGrid grid;
    grid.resize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grid.heights[y][x] = heightAt(x, y);
    grid.hasData = true;
    grid.cellSize = 30.0f;
    grid.computeStatistics();
    return grid;
}

// Reproducible pseudo-random heights in [0, 1) for test terrains, independent
// of the generators under test.
inline float hashedNoise(int x, int y, std::uint32_t salt = 0)
{
    std::uint32_t value = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                          salt * 83492791u;
    value ^= value >> 13;
    value *= 0x5bd1e995u;
    value ^= value >> 15;
    return static_cast<float>(value % 100000u) / 100000.0f;
}

inline FloatMatrix filledMatrix(int rows, int columns, const std::function<float(int, int)>& valueAt)
{
    FloatMatrix matrix(rows, std::vector<float>(columns, 0.0f));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            matrix[row][column] = valueAt(column, row);
    return matrix;
}

// Bit for bit, so that matrices holding NaN compare equal to their copies.
inline bool sameBits(const FloatMatrix& first, const FloatMatrix& second)
{
    if (first.size() != second.size())
        return false;
    for (std::size_t row = 0; row < first.size(); ++row) {
        if (first[row].size() != second[row].size())
            return false;
        if (!first[row].empty() &&
            std::memcmp(first[row].data(), second[row].data(), first[row].size() * sizeof(float)) != 0)
            return false;
    }
    return true;
}

// Everything a synthesis operation could change on a grid.
inline void expectSameGrid(const VeskGrid& actual, const VeskGrid& expected)
{
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_EQ(actual.hasData, expected.hasData);
    EXPECT_EQ(actual.cellSize, expected.cellSize);
    EXPECT_TRUE(sameBits(actual.heights, expected.heights)) << "heights changed";
    ASSERT_EQ(actual.details.size(), expected.details.size());
    for (std::size_t level = 0; level < actual.details.size(); ++level)
        EXPECT_TRUE(sameBits(actual.details[level], expected.details[level])) << "detail matrix " << level << " changed";
    EXPECT_EQ(actual.maxHeight, expected.maxHeight);
    EXPECT_EQ(actual.minHeight, expected.minHeight);
    EXPECT_EQ(actual.averageHeight, expected.averageHeight);
    EXPECT_EQ(actual.normalsValid, expected.normalsValid);
    EXPECT_EQ(actual.surfaceValid, expected.surfaceValid);
    EXPECT_EQ(actual.curvature, expected.curvature);
    EXPECT_EQ(actual.slope, expected.slope);
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.fractalDeviation, expected.fractalDeviation);
    EXPECT_EQ(actual.lastError, expected.lastError);
    ASSERT_EQ(actual.normals.size(), expected.normals.size());
    for (std::size_t row = 0; row < actual.normals.size(); ++row) {
        ASSERT_EQ(actual.normals[row].size(), expected.normals[row].size());
        for (std::size_t column = 0; column < actual.normals[row].size(); ++column) {
            EXPECT_EQ(actual.normals[row][column].x, expected.normals[row][column].x);
            EXPECT_EQ(actual.normals[row][column].y, expected.normals[row][column].y);
            EXPECT_EQ(actual.normals[row][column].z, expected.normals[row][column].z);
        }
    }
}

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

inline std::string testDataPath(const char* fileName)
{
    return std::string(TALVANE_TEST_DATA) + "/" + fileName;
}
