#include "support/StdoutCapture.h"

#include <unistd.h>

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    file_ = std::tmpfile();
    savedDescriptor_ = dup(fileno(stdout));
    if (file_ != nullptr && savedDescriptor_ >= 0)
        dup2(fileno(file_), fileno(stdout));
}

StdoutCapture::~StdoutCapture()
{
    finish();
}

std::string StdoutCapture::finish()
{
    if (finished_)
        return text_;
    finished_ = true;
    std::fflush(stdout);
    if (savedDescriptor_ >= 0) {
        dup2(savedDescriptor_, fileno(stdout));
        close(savedDescriptor_);
    }
    if (file_ != nullptr) {
        std::rewind(file_);
        char buffer[4096];
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
            text_.append(buffer, count);
        std::fclose(file_);
    }
    return text_;
}
