// oneTBB first: a Qt header before it defines `emit`, a name oneTBB uses.
#include <tbb/task_arena.h>
#include <tbb/task_scheduler_observer.h>

#include "views/BackgroundPriority.h"

#include <QCoreApplication>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

namespace background_priority {
namespace {

void lowerCallingThread()
{
    // Raising a nice value is always permitted; a thread already lower is left so.
    if (callingThreadNice() < kNice)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kNice);
}

bool onMainThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

// Lowers each oneTBB worker as it joins the arena.
class LowerJoiningWorkers : public tbb::task_scheduler_observer {
public:
    explicit LowerJoiningWorkers(tbb::task_arena& arena) : tbb::task_scheduler_observer(arena) { observe(true); }
    ~LowerJoiningWorkers() override { observe(false); }

    void on_scheduler_entry(bool isWorker) override
    {
        if (isWorker)
            lowerCallingThread();
    }
};

} // namespace

int callingThreadNice()
{
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

void runLowered(const std::function<void()>& work)
{
    if (!onMainThread())
        lowerCallingThread();
    // An arena of its own for each job: the observer sees only the workers of this work,
    // and jobs running at once do not queue for one arena's slots.
    tbb::task_arena arena;
    LowerJoiningWorkers observer(arena);
    arena.execute(work);
}

QThreadPool& backgroundThreads()
{
    static QThreadPool pool;
    return pool;
}

} // namespace background_priority
