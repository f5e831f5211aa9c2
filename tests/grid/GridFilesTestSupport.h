#pragma once

#include "grid/VeskGrid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

// A fresh directory per test under the system's temporary directory, removed afterwards.
class GridFilesTempDirTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = "talvane_gridfiles_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_"
            + info->name();
        // No dots or slashes: grid names drop every '.', and parameterised tests have '/'.
        for (char& c : leaf)
            if (c == '/' || c == '.')
                c = '_';
        directory = std::filesystem::temp_directory_path() / leaf;
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    QString path(const std::string& fileName) const
    {
        return QString::fromStdString((directory / fileName).string());
    }

    std::filesystem::path directory;
};

inline void writeTextFile(const QString& fileName, const std::string& contents)
{
    std::ofstream out(fileName.toStdString(), std::ios::binary);
    out << contents;
}

inline void writeBinaryFile(const QString& fileName, const std::string& bytes)
{
    writeTextFile(fileName, bytes);
}

inline std::string readWholeFile(const QString& fileName)
{
    std::ifstream in(fileName.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A grid with data whose heights are given by heightAt(row, column); normals computed.
inline VeskGrid makeGrid(int width, int height, const std::function<float(int, int)>& heightAt,
                         float cellSize = 90.0f)
{
    VeskGrid grid;
    grid.resize(width, height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            grid.heights[row][col] = heightAt(row, col);
    grid.cellSize = cellSize;
    grid.refresh();
    return grid;
}

inline QString testDataPath(const char* fileName)
{
    return QStringLiteral(TALVANE_TEST_DATA "/") + QString::fromLatin1(fileName);
}

// Expects the grid to be empty, as every failed load leaves it.
inline void expectEmptyGrid(const VeskGrid& grid)
{
    EXPECT_FALSE(grid.hasData);
    EXPECT_EQ(grid.width, 0);
    EXPECT_EQ(grid.height, 0);
    EXPECT_TRUE(grid.heights.empty());
    EXPECT_TRUE(grid.normals.empty());
    EXPECT_TRUE(grid.details.empty());
}
