/*
 * DeferredClose: a queue of descriptors and the workers that close them.
 */
#include "run/DeferredClose.h"

#include <unistd.h>

#include <system_error>

#include "run/SignalCleanup.h"

namespace {

// How many closes may be under way at once: enough to keep a device's queue of discards busy.
constexpr int kWorkers = 4;

}  // namespace

void DeferredClose::Close(int descriptor)
{
    if (workers_.empty()) StartWorkers();
    if (workers_.empty()) {
        // No thread could be made: the caller's thread closes it.
        close(descriptor);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(descriptor);
    }
    wake_.notify_one();
}

void DeferredClose::StartWorkers()
{
    // The workers take no termination signal, so the run's own thread handles one where it
    // allows it.
    const TerminationSignalsBlocked blocked;
    try {
        for (int i = 0; i < kWorkers; ++i) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // The system has no thread to spare: fewer workers, or none.
    }
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
