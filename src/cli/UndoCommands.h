/*
 * UndoCommands: qmend --runs and qmend --undo[=RUN]. --runs lists the kept undo records,
 * newest first; --undo asks "Undo N changes of RUN?" (Yes by --yes) and takes the run back,
 * telling every target it left alone on standard error. Paths and texts are escaped for the
 * terminal.
 */
#pragma once

#include <string>

class Desktop;

// Prints the kept runs; 0, or 1 when none is kept.
int ListRuns(const std::string& undoDirectory);
// Undoes run `id` (the newest not undone when empty) after asking through desktop; 0 done,
// 1 answered No, 2 nothing to undo or an unreadable record, 3 targets left alone.
int UndoRunCommand(const std::string& undoDirectory, const std::string& id, Desktop& desktop);
