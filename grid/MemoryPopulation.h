#pragma once

#include <cstddef>

// Makes the pages of [data, data + bytes) present and writable now, keeping what is in
// them, as the first write to each would: a thread with nothing else to do takes the
// page faults of fresh memory that another thread is about to fill. Where fresh memory
// is slow to fault in (a virtual machine whose host takes back free memory: each 2 MiB
// page then costs a millisecond or more), two cores halve that time. Other threads may
// write the memory meanwhile: what they write stays.
void populateForWriting(void* data, std::size_t bytes);
