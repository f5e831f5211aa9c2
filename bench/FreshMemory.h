#pragma once

#include <malloc.h>

// Hands memory freed by the last iteration back to the system, so that the next one
// allocates pages that must be faulted in and zeroed, as in a new process, instead of
// reusing pages the allocator keeps mapped. Call it with the timer paused.
inline void returnFreedMemoryToTheSystem()
{
    ::malloc_trim(0);
}
