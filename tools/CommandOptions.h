#pragma once

#include <string>
#include <vector>

// What each command was asked to do, filled by the command-line parser.

// How the command's terrains are read: --format (empty: by extension), --band (from 1,
// for rasters read through GDAL) and --height-range (empty, or MIN and MAX in metres
// for the samples 0 and 65535 of a 16-bit heightmap).
struct TerrainReadOptions {
    std::string format;
    int band = 1;
    std::string screen = "left"; // of a session file: left or right
    std::vector<double> heightRange;
};

struct InfoOptions {
    TerrainReadOptions read;
    std::string file;
    bool json = false;
};

struct ConvertOptions {
    TerrainReadOptions read;
    std::string input;
    std::string output;
    bool split = false;
};

struct SessionOptions {
    TerrainReadOptions read;
    std::string left;
    std::string right;
    std::string output;
};

struct CoarsenOptions {
    TerrainReadOptions read;
    std::string input;
    std::string output;
    std::string scheme = "chaikin";
    int levels = 1;
    bool details = false;
};

struct RefineOptions {
    TerrainReadOptions read;
    std::string input;
    std::string output;
    std::string scheme = "chaikin";
    int levels = 1;
    std::string detailsFile; // empty: refine without loading details
};

struct TransferOptions {
    TerrainReadOptions read;
    std::string base;
    std::string example;
    std::string output;
    std::string method = "quilt";
    std::string scheme = "chaikin";
    bool schemeGiven = false; // --scheme was on the command line (quilt and coherent take it)
    int requestedBlockSize = 100;
    bool noRescale = false;
    std::string search = "random";
    bool searchGiven = false; // --search was on the command line (the block mapper's methods take it)
    int levels = 1;
    int threads = 0; // 0: every core
};

struct ErodeOptions {
    TerrainReadOptions read;
    std::string input;
    std::string output;
    int iterations = 4;
    double strength = 0.01;
    double creep = 0.0;
    double lakeDepth = 10.0;
    double lakeDrop = 0.01;
    int lakeArea = 0; // 0: no limit
    int tileSide = 0; // 0: the whole terrain at once
    int tileMargin = 32;
    int threads = 0; // 0: every core
};

struct DeviationOptions {
    TerrainReadOptions read;
    std::string file;
};

struct CompareOptions {
    TerrainReadOptions read;
    std::string reference;
    std::string terrain;
    bool json = false;
    int blockStep = 0; // 0: no seam ratio
    int blockOffset = 0;
};

struct CliOptions {
    bool quiet = false;
    InfoOptions info;
    ConvertOptions convert;
    SessionOptions session;
    CoarsenOptions coarsen;
    RefineOptions refine;
    TransferOptions transfer;
    DeviationOptions deviation;
    CompareOptions compare;
    ErodeOptions erode;
};
