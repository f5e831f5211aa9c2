#pragma once

#include <cstdio>
#include <string>

// Captures what the code under test prints on standard output (printf and friends)
// between construction and finish().
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string finish();

private:
    std::FILE* file_ = nullptr;
    int savedDescriptor_ = -1;
    bool finished_ = false;
    std::string text_;
};
