/*
 * SignalCleanup: what a termination signal must undo while a run is writing. The run
 * registers the temporary file it is writing and forgets it once the file is renamed or
 * removed; a signal handler calls RemoveRegisteredFile, which only reads fixed storage and
 * calls unlink, so it is safe in a handler. One slot is enough: a run writes one temporary
 * file at a time. No run step changes a target's mode, so there is no mode to put back.
 */
#pragma once

#include <signal.h>

// Notes path (up to PATH_MAX bytes; a longer one is not noted) as the file to remove.
void RegisterTemporaryFile(const char* path);
// Forgets the noted file.
void ForgetTemporaryFile();
// Removes the noted file, if any. Async-signal-safe.
void RemoveRegisteredFile();

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
