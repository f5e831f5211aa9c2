#pragma once

#include <string>

// What each command was asked to do, filled by the command-line parser.

struct InfoOptions {
    std::string file;
    bool json = false;
};

struct ConvertOptions {
    std::string input;
    std::string output;
    bool split = false;
};

struct CoarsenOptions {
    std::string input;
    std::string output;
    std::string scheme;
    int levels = 1;
    bool details = false;
};

struct RefineOptions {
    std::string input;
    std::string output;
    std::string scheme;
    int levels = 1;
    std::string detailsFile; // empty: refine without loading details
};

struct TransferOptions {
    std::string base;
    std::string example;
    std::string output;
    std::string method = "quilt";
    std::string scheme = "chaikin";
    bool schemeGiven = false; // --scheme was on the command line (it belongs to quilting)
    int requestedBlockSize = 100;
    bool noRescale = false;
    std::string search = "random";
    int threads = 0; // 0: every core
};

struct DeviationOptions {
    std::string file;
};

struct CliOptions {
    bool quiet = false;
    InfoOptions info;
    ConvertOptions convert;
    CoarsenOptions coarsen;
    RefineOptions refine;
    TransferOptions transfer;
    DeviationOptions deviation;
};
