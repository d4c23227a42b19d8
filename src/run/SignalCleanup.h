/*
 * SignalCleanup: what a termination signal must undo while a run is writing. The run
 * registers the temporary file it is writing and forgets it once the file is renamed or
 * removed; a signal handler calls RemoveRegisteredFiles, which only reads fixed storage and
 * calls unlink, so it is safe in a handler. A run may hold a batch of written temporary files
 * that wait for one flush, so there are a few slots. No run step changes a target's mode, so
 * there is no mode to put back.
 */
#pragma once

#include <signal.h>

// How many temporary files can be noted at once.
inline constexpr int kTemporaryFileSlots = 64;

// Notes path (up to PATH_MAX bytes) as a file to remove; the slot it took, or -1 when the
// path is longer or every slot is taken (the file is then not removed by a signal).
int RegisterTemporaryFile(const char* path);
// Forgets the file noted in slot (nothing for -1).
void ForgetTemporaryFile(int slot);
// Removes every noted file. Async-signal-safe.
void RemoveRegisteredFiles();

// Blocks the termination signals while it lives, so that a rename and the forgetting of
// the file it renamed happen together.
class TerminationSignalsBlocked {
public:
    TerminationSignalsBlocked();
    ~TerminationSignalsBlocked();
    TerminationSignalsBlocked(const TerminationSignalsBlocked&) = delete;
    TerminationSignalsBlocked& operator=(const TerminationSignalsBlocked&) = delete;

private:
    // The mask before, put back at the end.
    sigset_t saved_;
};
