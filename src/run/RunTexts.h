/*
 * The texts a run shows: its messages and questions (all captioned "Quillmend"), the report
 * list lines, and the labels of the Start page's go button. Spelled exactly as the program
 * has always spelled them; front ends that answer questions themselves compare against these.
 */
#pragma once

namespace runtext {

inline constexpr const char* kNothingChecked =
    "Attention! No checkbox checked at WHAT page!\r\n                   Nothing to search for.";
inline constexpr const char* kNoPhrase = "No phrase choosen.";
inline constexpr const char* kNoFile = "No file choosen.";
inline constexpr const char* kRegexpError = "Regexp error!";
// The report file is never one of the targets: truncating it would destroy a target.
inline constexpr const char* kReportIsTarget = "The report file is one of the targets or lies inside one:\n";
// A report file that could not be created: the run goes on, and the report list says so.
inline constexpr const char* kReportFileFailed = "report file could not be written";
inline constexpr const char* kChangeWarning =
    "Warning! You are about changing file/dir names and/or file contents.\nSure?";
inline constexpr const char* kBackupQuestion =
    "It's recommended to make a backup archive \nfrom the files/dirs before replacing.\nDo it?";
// The archiver question names the archiver's file: "Cannot archive because " + name + kArchiverMissingTail.
inline constexpr const char* kArchiverMissingHead = "Cannot archive because ";
inline constexpr const char* kArchiverMissingTail =
    " is\nmissing from the program's dir.\nStart replacing without archiving?";
inline constexpr const char* kTempDirMissing =
    "Cannot archive because temp dir set in 'Config' is missing.\nStart replacing without archiving?";
inline constexpr const char* kStartQuestion = "Start search/replace?";
inline constexpr const char* kInitializationError = "Initialization error!";

inline constexpr const char* kReportHeader =
    "------------------------------------------------------------------   Report   "
    "------------------------------------------------------------------";
inline constexpr const char* kProcessStarted = "Process started...";
inline constexpr const char* kFileWriteError = "file write error";
inline constexpr const char* kRenameError = "renamimg error";
// A target that could not be opened or read: nothing of it is changed.
inline constexpr const char* kFileReadError = "file read error";
// A target another program changed between the read and the replacement: it is left alone.
inline constexpr const char* kFileChanged = "file changed during the run";
inline constexpr const char* kOtherLinksKeepOld = "its other hard links keep the old content";
inline constexpr const char* kMatchTooLong = "a match runs past the largest read window (1 GiB)";
// A search that could not finish (too much backtracking, or out of stack): the file is left as it was.
inline constexpr const char* kSearchStopped = "search stopped: pattern too complex, file left unchanged";
// Cancel clicked while the engine was still searching a file: it is left as it was.
inline constexpr const char* kSearchCancelled = "search cancelled, file left unchanged";
inline constexpr const char* kFoundInContent = "found in content:";
inline constexpr const char* kFoundInName = "found in name:";
inline constexpr const char* kTotalFound = "Total found:";
inline constexpr const char* kDone = "Done.";
inline constexpr const char* kError = "Error!";
inline constexpr const char* kProcessDone = "Process done, see report.";

inline constexpr const char* kGoIdle = "Search/Replace!";
inline constexpr const char* kGoReplace = "replace it";
inline constexpr const char* kGoContinue = "continue search";

}  // namespace runtext
