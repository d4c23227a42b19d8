/*
 * DeferredClose: a queue of descriptors and the workers that close them.
 */
#include "run/DeferredClose.h"

#include <signal.h>
#include <unistd.h>

namespace {

// How many closes may be under way at once: enough to keep a device's queue of discards busy.
constexpr int kWorkers = 4;

}  // namespace

void DeferredClose::Close(int descriptor)
{
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(descriptor);
    }
    if (workers_.empty()) StartWorkers();
    wake_.notify_one();
}

void DeferredClose::StartWorkers()
{
    // The workers start with every signal blocked, so a termination signal is taken by the
    // run's own thread, whose blocked sections it must respect.
    sigset_t all;
    sigset_t saved;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &saved);
    for (int i = 0; i < kWorkers; ++i) workers_.emplace_back([this] { Work(); });
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

void DeferredClose::Drain()
{
    {
        const std::lock_guard lock(mutex_);
        draining_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
    draining_ = false;
}

void DeferredClose::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return draining_ || !queue_.empty(); });
        if (queue_.empty()) return;
        const int descriptor = queue_.front();
        queue_.pop_front();
        lock.unlock();
        close(descriptor);
        lock.lock();
    }
}
