#pragma once

#include <functional>

// Runs work with at most `threads` worker threads for the parallel loops inside
// it (0: every core; 1: the calling thread alone).
void runWithThreads(int threads, const std::function<void()>& work);
