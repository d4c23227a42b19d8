/*
 * SignalCleanup: the registry is a fixed table of paths, each with a flag. A slot's flag is
 * cleared before its path changes and set after, with compiler fences between, so a handler
 * that interrupts an update sees either no file or a whole path. Slots are taken and given
 * back by the run's one thread only; the handler only reads them.
 */
#include "run/SignalCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// The temporary files' paths, NUL-terminated; slot i is valid while registered[i] is 1.
char registeredPath[kTemporaryFileSlots][PATH_MAX + 1];
volatile std::sig_atomic_t registered[kTemporaryFileSlots] = {};

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

int RegisterTemporaryFile(const char* path)
{
    const std::size_t length = std::strlen(path);
    if (length > PATH_MAX) return -1;
    for (int slot = 0; slot < kTemporaryFileSlots; ++slot) {
        if (registered[slot]) continue;
        std::memcpy(registeredPath[slot], path, length + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        registered[slot] = 1;
        return slot;
    }
    return -1;
}

void ForgetTemporaryFile(int slot)
{
    if (slot < 0 || slot >= kTemporaryFileSlots) return;
    registered[slot] = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

void RemoveRegisteredFiles()
{
    for (int slot = 0; slot < kTemporaryFileSlots; ++slot)
        if (registered[slot]) unlink(registeredPath[slot]);
}

TerminationSignalsBlocked::TerminationSignalsBlocked()
{
    const sigset_t set = TerminationSignals();
    sigprocmask(SIG_BLOCK, &set, &saved_);
}

TerminationSignalsBlocked::~TerminationSignalsBlocked() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
