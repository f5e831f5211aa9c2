#include "tools/StdoutSilencer.h"

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

StdoutSilencer::StdoutSilencer(bool active)
{
    if (!active)
        return;
    std::cout.flush();
    std::fflush(stdout);
    const int nullDescriptor = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullDescriptor < 0)
        return; // nowhere to send the noise: leave the diagnostics on rather than fail
    savedDescriptor = ::dup(STDOUT_FILENO);
    if (savedDescriptor < 0 || ::dup2(nullDescriptor, STDOUT_FILENO) < 0) {
        if (savedDescriptor >= 0)
            ::close(savedDescriptor);
        savedDescriptor = -1;
    }
    ::close(nullDescriptor);
}

StdoutSilencer::~StdoutSilencer()
{
    if (savedDescriptor < 0)
        return;
    std::cout.flush();
    std::fflush(stdout);
    ::dup2(savedDescriptor, STDOUT_FILENO);
    ::close(savedDescriptor);
}
