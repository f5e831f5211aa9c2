#pragma once

#include "grid/TokenReader.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

// The heights of an ASCII grid, read after its header: whitespace-separated numbers,
// converted by parseNumber on every core a block of text at a time. The caller sees each
// run of values twice: once in file order, so that it sees exactly the values, in exactly
// the order, that reading the tokens one by one gives, and once more with the index of the
// run's first value, on every core and in any order, so that storing them (and the page
// faults of fresh memory that come with it) is shared out rather than done in turn.
struct HeightTextOutcome {
    enum class Status { Complete, PrematureEnd, NotANumber, TokenTooLong, ReadFailed };
    Status status = Status::Complete;
    long long heightsRead = 0; // values handed to the caller
    std::string badToken;      // the token that is not a number
};

// Takes over from `reader` (its pending bytes, then the rest of `file`) and hands up to
// `expected` values to `inOrder`, in runs in file order, then each run to `anyOrder` with
// the index of its first value; stops at the first problem, after the values before it.
// Text after the expected values is not converted. `anyOrder` has a run only after
// `inOrder` has had it, and every run before readHeightText returns.
HeightTextOutcome readHeightText(TokenReader& reader, std::FILE* file, long long expected,
                                 const std::function<void(const double* values, std::size_t count)>& inOrder,
                                 const std::function<void(const double* values, std::size_t count, long long first)>& anyOrder);
