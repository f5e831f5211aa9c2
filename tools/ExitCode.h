#pragma once

// The tool's exit statuses, part of its interface for scripts.
enum class ExitCode : int {
    Success = 0,
    Failure = 1, // the operation failed or was refused; the reason is on standard error
    Usage = 2,   // the command line itself was wrong
};

inline int toStatus(ExitCode code)
{
    return static_cast<int>(code);
}
