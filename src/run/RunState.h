/*
 * RunState: where the one run in progress stands. The Start page holds it for the program's
 * lifetime; its buttons change running, answer, processAll and fileState while the run
 * waits, and the run reads them again after every call that pumps messages.
 */
#pragma once

#include <cstdint>
#include <string>

#include "base/CDynString.h"
#include "base/FileHandle.h"
#include "regex/CRegexp.h"
#include "run/ReadBuffer.h"
#include "run/ReportFile.h"

// Something the run must tell about one target beyond its findings.
struct RunNote {
    enum class Kind {
        Unread,     // the target could not be read (or not searched to its end)
        Unchanged,  // confirmed changes could not be made; the target is as it was
        Info,       // the change was made, but the user should know something about it
    };
    Kind kind;
    std::string path;
    // Why, in words (often strerror's).
    std::string reason;
};

// What the user answered to the shown occurrence.
inline constexpr int kAnswerNone = 0;
inline constexpr int kAnswerGo = 1;
inline constexpr int kAnswerSkip = 2;

// How far the current target is.
inline constexpr int kFileReading = 0;
inline constexpr int kFileEnd = 1;
inline constexpr int kFileAbandoned = 2;

struct RunState {
    // A run is in progress; cleared by "Cancel! (skip all)" and at the end.
    bool running = false;
    // The answer to the shown occurrence: kAnswerNone, kAnswerGo or kAnswerSkip.
    int answer = kAnswerNone;
    // "Process all !" is ticked: further occurrences are taken without asking.
    int processAll = 0;
    // kFileReading, kFileEnd, or kFileAbandoned (skip file, cancel, read error).
    int fileState = kFileReading;
    // Occurrences found in this run.
    std::int32_t totalFound = 0;
    // The chunk of the file being searched, allocated for the duration of a run.
    ReadBuffer readBuffer;
    // The rewritten text of the current chunk (or name) not yet written.
    std::string output;
    // The job's pattern, compiled once per run.
    CRegexp regex;
    // The distinct texts found in this run (collected while a report file is written).
    DistinctResults allResults;
    // The report file while a run writes it.
    FileHandle reportFile;
    // Full path of the archiver.
    CDynString archiverPath;
    // Targets that could not be read, and targets that could not be changed as confirmed.
    int unreadTargets = 0;
    int unchangedTargets = 0;
    // Confirmed occurrences written to the disk, and the targets they changed.
    int replacedTotal = 0;
    int changedTargets = 0;
    // Confirmed occurrences thrown away: "Skip this file", "Cancel! (skip all)", or a file the
    // run gave up on before its end (unreadable, or a search that stopped).
    int droppedConfirmed = 0;
};
