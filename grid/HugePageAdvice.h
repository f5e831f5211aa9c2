#pragma once

#include <cstddef>

// Asks the system to back the 2 MiB-aligned stretches of [data, data + bytes) with huge
// pages, where it has them only on request. For the tables the matcher reads at random
// places, one page-table walk then covers 512 times the ground. Advice only: call it
// before the memory is first written, and nothing changes where it is not taken.
void adviseHugePages(const void* data, std::size_t bytes);
