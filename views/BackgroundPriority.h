#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>
#include <type_traits>
#include <utility>

// Work the window does behind its GUI thread (loading, operations, the level-of-detail
// hierarchy and surface fills, the recovery autosave) runs at a lower scheduling priority
// than the GUI thread. On a machine with two cores such work keeps both busy, and a GUI
// thread of the same priority, woken for a timer or a frame, waited for a core for longer
// than its own work took. Lowered, that work gives way at once when the GUI thread wakes,
// and still has the cores whenever the GUI thread sleeps.
//
// Linux lowers a thread by raising its nice value, and an unprivileged thread cannot lower
// it again (RLIMIT_NICE is 0 by default), so a lowered thread stays lowered: background
// jobs therefore run in a pool of their own, never in Qt's global pool, on which the GUI
// thread may wait (image conversions). QThread::setPriority is no help: on Linux its levels
// below normal leave a normal thread as it was, except IdlePriority (SCHED_IDLE), under
// which the work would all but stop beside any other busy program.
namespace background_priority {

// Low enough that a waking GUI thread takes a core at once and keeps about nine tenths of
// it; high enough that the work still moves on beside other programs of normal priority.
inline constexpr int kNice = 10;

// The calling thread's nice value.
int callingThreadNice();

// Runs work on the calling thread at background priority: the thread is lowered, unless it
// is the application's main thread (a thread waiting for a job that has not started runs
// it itself), and so are the threads it starts (they inherit its nice value) and the oneTBB
// workers that join the parallel loops inside work. Those workers stay lowered too: a
// parallel loop of the GUI thread that they help still has its own thread at normal priority.
void runLowered(const std::function<void()>& work);

// The pool background jobs run in; its threads are lowered by the jobs they run.
QThreadPool& backgroundThreads();

// QtConcurrent::run in the background pool, work run lowered.
template <typename Work>
auto runInBackground(Work work)
{
    using Result = std::invoke_result_t<Work&>;
    return QtConcurrent::run(&backgroundThreads(), [work = std::move(work)]() mutable -> Result {
        if constexpr (std::is_void_v<Result>) {
            runLowered(work);
        } else {
            Result result{};
            runLowered([&] { result = work(); });
            return result;
        }
    });
}

} // namespace background_priority
