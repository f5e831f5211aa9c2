#pragma once

// Running talvane-cli (and other programs) as processes, scratch folders, and the
// file helpers the end-to-end tests share.

#include "grid/VeskGrid.h"

#include <cstdint>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1; // -1 when the program could not be started or did not exit normally
    std::string out;
    std::string err;
};

// Runs program (looked up on PATH when it has no slash) with its arguments;
// extraEnvironment entries are "NAME=value" added to this process's environment.
// An empty workingDirectory keeps this process's own.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment = {},
                         const std::string& workingDirectory = {});

// Runs the built talvane-cli (in workingDirectory when one is given).
ProcessResult runCli(const std::vector<std::string>& arguments, const std::string& workingDirectory = {});

bool programOnPath(const std::string& name);

// A fresh empty folder for one test, removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const;
    const std::string& folder() const { return root; }
    // Every entry, hidden ones included, sorted.
    std::vector<std::string> entries() const;

private:
    std::string root;
};

std::string sampleGrid();  // tests/data/jacksboro.grd
std::string sampleFloat(); // tests/data/jacksboro.flt

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

std::vector<std::string> lines(const std::string& text);
std::string lastLine(const std::string& text);
bool contains(const std::string& text, const std::string& part);

// A terrain read with the core's own loaders (.grd/.asc or .flt); hasData false on failure.
VeskGrid loadWithCore(const std::string& path);

// The sample DEM cropped to columns x rows (top-left kept), written as an ASCII grid.
void writeCroppedSample(const std::string& path, int columns, int rows);

// Largest absolute difference of two terrains' heights; infinity when sizes differ.
double largestHeightDifference(const VeskGrid& first, const VeskGrid& second);

// An 8-bit RGB PNG written by libpng, pixel (x, y) = pixel(x, y) as {r, g, b}.
bool writeRgbPng(const std::string& path, int width, int height, bool interlaced,
                 unsigned char (*pixel)(int x, int y, int channel));
// A 16-bit greyscale PNG written by libpng, sample (x, y) = sample(x, y).
bool writeGrey16Png(const std::string& path, int width, int height, std::uint16_t (*sample)(int x, int y));
