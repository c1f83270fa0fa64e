#include "acquisition/thread.h"

#include "base/functions.h"

#include <pthread.h>
#include <sched.h>

Thread::Thread(QObject *parent)
    : QThread(parent)
{ }

void Thread::startWithPriority(int priority)
{
    if (priority != -1)
        setPriority(priority);
    start();
    m_priority = priority;
}

bool Thread::getScheduling(int *policy, int *priority)
{
    struct sched_param param = {};
    int currentPolicy = 0;
    if (pthread_getschedparam(pthread_self(), &currentPolicy, &param) != 0) {
        debugPrintf("pthread_getschedparam is failed\n");
        if (policy)
            *policy = -1;
        if (priority)
            *priority = -1;
        return false;
    }
    if (policy)
        *policy = currentPolicy;
    if (priority)
        *priority = param.sched_priority;
    return true;
}

int Thread::currentPriority()
{
    int priority = -1;
    getScheduling(nullptr, &priority);
    return priority;
}

int Thread::currentPolicy()
{
    int policy = -1;
    getScheduling(&policy, nullptr);
    return policy;
}

bool Thread::setPriority(int priority)
{
    return setScheduling(SCHED_FIFO, qBound(0, priority, 100));
}

bool Thread::setScheduling(int policy, int priority)
{
    struct sched_param param = {};
    param.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}
