/*
 * UndoJournal: the record that makes one replacing run reversible. It lives in its own
 * folder under the data home's "undo/" (created with mode 0700): a text file "journal" and
 * the kept originals of the changed files, named by their change's number.
 *
 * The journal is a line-per-record text, fields separated by tabs, with "%", tab, CR and LF
 * inside a field written as %XX, so any path fits:
 *     quillmend undo journal 1
 *     time <seconds since 1970>    pattern <text>    replacement <text>    flags <text>
 *     content <target> <kept> <size> <mtime seconds> <mtime nanoseconds> <sha256 of the new file>
 *     rename <old path> <new path> <file|dir>
 *     undone <seconds since 1970>
 * Each change's line is written and flushed before the change is made, so a run stopped at
 * any moment leaves a journal that names every change it made (and possibly some of the
 * batch it was making that it did not get to make, which an undo passes over where the
 * target is still its kept original, linked or copied). The folder is made at the first
 * change: a run that changes nothing keeps no record, and one whose every change was refused
 * before it was made removes its record at the end. When a record is kept, the oldest ones
 * beyond the newest kKeptRuns are removed at the end of its run (a killed run removes none;
 * the next one does).
 */
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

// How many run records the undo folder keeps.
inline constexpr std::size_t kKeptRuns = 20;

// One change a run made, in the order made.
struct UndoChange {
    enum class Kind { Content, Rename };
    Kind kind = Kind::Content;
    // Content: the changed file (links resolved) and the empty `to`; Rename: old and new path.
    std::string from;
    std::string to;
    // Content: the kept original's name in the record's folder.
    std::string kept;
    // Content: the size, modification time and hash of the file the run left.
    long long size = 0;
    timespec modified {};
    std::string hash;
    // Rename: a directory was renamed (else a file or a link).
    bool directory = false;
};

// A journal as read back.
struct UndoRecord {
    // The record's folder name, which is also the run's id (it sorts by time).
    std::string id;
    std::time_t time = 0;
    std::string pattern;
    std::string replacement;
    std::string flags;
    std::vector<UndoChange> changes;
    // When it was undone (0: not yet).
    std::time_t undone = 0;
};

// A content change about to be made: the file `replacement` renamed over `target`.
struct PendingContent {
    std::string target;
    std::string replacement;
};

// What the run is; noted in the journal's head.
struct UndoRunInfo {
    std::string pattern;
    std::string replacement;
    std::string flags;
};

class UndoJournal {
public:
    // A journal for one run under undoDirectory (data home + "/undo"); nothing is made yet.
    UndoJournal(std::string undoDirectory, UndoRunInfo info);
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;
    ~UndoJournal();

    // Keeps the original of each change's target (a regular file, links resolved, checked to
    // be the file the run read) and notes the content change to the file `replacement` that
    // is about to be renamed over it; the lines of all of them are written and flushed at
    // once. One entry per change: empty when noted, else why that change must not be made.
    std::vector<std::string> NoteContents(const std::vector<PendingContent>& changes);
    // Notes that oldPath is about to be renamed to newPath. Empty on success, else why not.
    std::string NoteRename(const std::string& oldPath, const std::string& newPath, bool directory);
    // The record's id; empty while nothing was noted.
    const std::string& Id() const { return id_; }

private:
    // Makes the folder and the journal's head on the first change; empty or why not.
    std::string Begin();
    // Removes the oldest records beyond the newest kKeptRuns.
    void DropOldestRecords();
    // Appends one line (or several, joined by line feeds) and flushes it to the disk; empty
    // or why not.
    std::string Append(const std::string& line);
    // Keeps the original of change's target under the next number and makes its journal
    // line (not yet written); empty or why not.
    std::string KeepOriginal(const PendingContent& change, std::string& line);

    std::string undoDirectory_;
    UndoRunInfo info_;
    // The record's folder name and path; empty until Begin.
    std::string id_;
    std::string folder_;
    // The journal file, open for appending; -1 until Begin.
    int journal_ = -1;
    // The number of the last content change (the name of its kept original).
    int kept_ = 0;
    // Changes noted in the journal.
    int changes_ = 0;
};

// The undo records' folder under the data home (the folder of "qmend.par").
inline std::string UndoDirectory(const std::string& dataHome) { return dataHome + "/undo"; }

// field with "%", tab, CR and LF written as %XX, and back.
std::string EscapeJournalField(const std::string& field);
std::string UnescapeJournalField(const std::string& field);

// Copies the file `from` to the new file `to` with from's mode, owner, extended attributes
// (ACLs among them) and times, flushed to the disk; false (errno says why, `to` removed) on
// failure.
bool CopyKeepingStatus(const std::string& from, const std::string& to);

// Reads the journal of the record folder `id` under undoDirectory; none (with why) when it
// cannot be read, is cut short or is not a journal.
std::optional<UndoRecord> ReadUndoRecord(const std::string& undoDirectory, const std::string& id, std::string& why);
// The record ids under undoDirectory, oldest first.
std::vector<std::string> UndoRecordIds(const std::string& undoDirectory);
// Notes in the record's journal that it was undone; false on failure.
bool MarkUndone(const std::string& undoDirectory, const std::string& id);
