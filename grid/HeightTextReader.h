#pragma once

#include "grid/TokenReader.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

// The heights of an ASCII grid, read after its header: whitespace-separated numbers,
// converted by parseNumber on every core a block of text at a time and handed to the
// caller in file order, so the caller sees exactly the values, in exactly the order,
// that reading the tokens one by one gives.
struct HeightTextOutcome {
    enum class Status { Complete, PrematureEnd, NotANumber, TokenTooLong, ReadFailed };
    Status status = Status::Complete;
    long long heightsRead = 0; // values handed to the caller
    std::string badToken;      // the token that is not a number
};

// Takes over from `reader` (its pending bytes, then the rest of `file`) and hands up to
// `expected` values to `take`, in runs in file order; stops at the first problem, after
// the values before it. Text after the expected values is not converted.
HeightTextOutcome readHeightText(TokenReader& reader, std::FILE* file, long long expected,
                                 const std::function<void(const double* values, std::size_t count)>& take);
