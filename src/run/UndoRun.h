/*
 * UndoRun: takes a kept run back. Its changes are undone newest first: a rename by renaming
 * the new name back to the old one, never onto an existing name; a content change by
 * renaming the kept original back over the file, in one atomic step (a copy made beside it
 * first where the original was kept on another file system). A target that is no longer
 * what the run left - gone, another kind, or its size, modification time or hash differ -
 * is not touched and is told with the reason; so is one whose folder now leads elsewhere
 * through a symbolic link. A change the run noted but was stopped before making is passed
 * over. The record is marked undone at the end, so a run is never undone twice.
 *
 * The desktop's "undo last run" button and qmend --undo call the same two functions.
 */
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Desktop.h"
#include "base/LineList.h"
#include "run/RunState.h"
#include "run/UndoJournal.h"

// What an undo did.
struct UndoOutcome {
    // Changes taken back.
    int restored = 0;
    // Targets left alone, each with the reason (kind Unchanged).
    std::vector<RunNote> leftAlone;
    // The record could not be marked undone.
    bool unmarked = false;
};

// The record to undo: `id`, or the newest not yet undone when id is empty. None (with why)
// when there is none, it cannot be read, or it was undone already.
std::optional<UndoRecord> FindUndoRecord(const std::string& undoDirectory, const std::string& id, std::string& why);
// Takes back the changes of record, newest first, and marks it undone.
UndoOutcome UndoChanges(const std::string& undoDirectory, const UndoRecord& record);

// Whether a run not yet undone is kept (the window's "undo last run" is enabled then).
bool HasUndoableRun(const std::string& undoDirectory);
// The window's "undo last run": asks "Undo N changes of RUN?", undoes the newest run not yet
// undone and appends the outcome to report; a notice when there is nothing to undo.
void UndoLastRun(Desktop& desktop, const std::string& undoDirectory, LineList& report);
