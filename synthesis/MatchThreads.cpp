#include "synthesis/MatchThreads.h"

#include <tbb/task_arena.h>

void runWithThreads(int threads, const std::function<void()>& work)
{
    if (threads <= 0) {
        work();
        return;
    }
    tbb::task_arena arena(threads);
    arena.execute(work);
}
