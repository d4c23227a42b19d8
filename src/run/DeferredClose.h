/*
 * DeferredClose: closes descriptors on a few worker threads. A replacing run keeps the
 * descriptor it read a target through open until the new file has been renamed over the
 * target; the old file's blocks are then freed only when that descriptor is closed, not in
 * the rename. Freeing blocks can take milliseconds per file (a file system that discards them
 * on the device at once), and such frees proceed side by side, so the workers do them while
 * the run goes on with the next files. Closing a read-only descriptor of a file that is no
 * longer named anywhere changes nothing anyone can see, so the order does not matter.
 */
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class DeferredClose {
public:
    DeferredClose() = default;
    DeferredClose(const DeferredClose&) = delete;
    DeferredClose& operator=(const DeferredClose&) = delete;
    // Waits until every descriptor handed over is closed.
    ~DeferredClose() { Drain(); }

    // Hands over descriptor (not -1) to be closed soon; the workers start on the first one.
    // Without any worker (the system has no thread to spare) it is closed at once.
    void Close(int descriptor);
    // Returns when every descriptor handed over is closed; the workers end.
    void Drain();

private:
    // Starts the workers, which never take a termination signal.
    void StartWorkers();
    // A worker: closes queued descriptors until the queue is empty and Drain was called.
    void Work();

    // Guards queue_ and draining_.
    std::mutex mutex_;
    // Signalled when a descriptor is queued or Drain is called.
    std::condition_variable wake_;
    // Descriptors waiting to be closed.
    std::deque<int> queue_;
    // Set by Drain: workers end once the queue is empty.
    bool draining_ = false;
    // The workers; empty until the first Close and after Drain.
    std::vector<std::thread> workers_;
};
