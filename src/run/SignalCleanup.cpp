/*
 * SignalCleanup: the registry is a fixed buffer and a flag. The flag is cleared before the
 * buffer changes and set after, with compiler fences between, so a handler that interrupts
 * an update sees either no file or a whole path.
 */
#include "run/SignalCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// The temporary file's path, NUL-terminated; valid while registered is 1.
char registeredPath[PATH_MAX + 1];
volatile std::sig_atomic_t registered = 0;

// The signals that end the program and must not interrupt a commit half way.
sigset_t TerminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void RegisterTemporaryFile(const char* path)
{
    ForgetTemporaryFile();
    const std::size_t length = std::strlen(path);
    if (length > PATH_MAX) return;
    std::memcpy(registeredPath, path, length + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    registered = 1;
}

void ForgetTemporaryFile()
{
    registered = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

void RemoveRegisteredFile()
{
    if (registered) unlink(registeredPath);
}

TerminationSignalsBlocked::TerminationSignalsBlocked()
{
    const sigset_t set = TerminationSignals();
    sigprocmask(SIG_BLOCK, &set, &saved_);
}

TerminationSignalsBlocked::~TerminationSignalsBlocked() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
