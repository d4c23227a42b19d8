/*
 * SearchRun: the search/replace run behind the Start page. StartRun checks the job and asks
 * before anything is changed; RunJob walks the target list in order, has each file's
 * content scanned (ScanContent) and each target's name scanned (ScanName), and writes the
 * report. Every occurrence is shown and, unless "Process all !" is ticked, waits for the
 * user's answer, which arrives through the page's button handlers while WaitForAnswer pumps
 * the desktop's messages.
 *
 * The run reaches the window system only through its seams: the Desktop (message boxes and
 * pumps), the Progress bar, the StartView (the page's boxes and go button) and the report
 * list, a LineList. So the desktop shell, the terminal front end and tests run the same code.
 */
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "backup/Backup.h"
#include "backup/FileChooser.h"
#include "base/Desktop.h"
#include "base/LineList.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "run/DeferredClose.h"
#include "run/JobSettings.h"
#include "run/ReplacementFile.h"
#include "run/RunState.h"
#include "run/StartView.h"
#include "run/UndoJournal.h"
#include "run/UnifiedDiff.h"
#include "targets/TargetList.h"

class SearchRun {
public:
    // The seams and lists a run works with; all outlive the SearchRun.
    struct Seams {
        Desktop& desktop;
        Progress& progress;
        StartView& view;
        // The report list.
        LineList& report;
        // The target list.
        TargetList& targets;
        // The main window's file dialog state (the archive dialog's memory).
        FileChooser& chooser;
    };

    // job is read at every run and never written.
    SearchRun(const JobSettings& job, const Seams& seams);

    // The Start page's buttons. Only the go button and "Process all !" act without a run.
    // "Search/Replace!": starts a run, or during one answers "replace it"/"continue search".
    void OnGoButton();
    // "Skip this word".
    void OnSkipWord();
    // "Skip this file".
    void OnSkipFile();
    // "Cancel! (skip all)".
    void OnCancel();
    // "Process all !" clicked; ticked is the box's new state.
    void OnProcessAll(bool ticked);

    // Checks the job, asks the questions, optionally backs up, normalises the targets and
    // runs the job; during a run it is the go answer to the shown occurrence.
    void StartRun();
    // Runs the job over the target list; true.
    bool RunJob();
    // Searches one file's content and, unless search-only, writes its new content, which it
    // leaves for FinishTarget to commit; the occurrences found.
    // The file comes opened (OpenPathKind); ScanContent closes it or keeps it with the rewrite.
    int ScanContent(const std::string& path, const OpenedPath& opened);
    // Searches (and unless search-only renames) the last component of target `index`'s path.
    int ScanName(const std::string& path, std::size_t index);

    // Whether the occurrence about to be shown is answered by "Process all !" in a view that
    // shows only what it asks about.
    bool Unasked() const;
    // Shows a content occurrence at [start, start + length) of the chunk and waits.
    void ShowContentOccurrence(const std::string& path, std::size_t start, std::size_t length,
                               const std::string* replacement);
    // Shows a name occurrence at [start, start + length) of name, whose text before
    // `position` is already in the output, and waits.
    void ShowNameOccurrence(const std::string& path, const std::string& name, std::size_t position,
                            std::size_t start, std::size_t length, const std::string* replacement);
    // Returns when the shown occurrence is answered, "Process all !" is ticked or the run is
    // cancelled.
    void WaitForAnswer();

    // Where the archiver is looked for.
    void SetArchiverPath(const CDynString& path) { state_.archiverPath = path; }
    // How content is read (read(2) unless replaced).
    void SetChunkReader(ChunkReader reader) { reader_ = std::move(reader); }
    // Where every RunNote goes as well as to the report list (qmend prints them).
    void SetNoteSink(std::function<void(const RunNote&)> sink) { noteSink_ = std::move(sink); }

    // Turns a replacing run into a preview: every occurrence is taken, nothing is written,
    // no question is asked, and the changes go to diff as a unified diff (none: a real run).
    void SetDiff(UnifiedDiff* diff) { diff_ = diff; }
    // Where the changes of a replacing run are noted so it can be undone (none: not noted).
    void SetUndoJournal(UndoJournal* journal) { journal_ = journal; }

    RunState& State() { return state_; }
    const RunState& State() const { return state_; }

private:
    // The backup question, the archiver and temp dir checks and the archive; false stops.
    bool OfferBackup();
    // Ends RunJob when the buffer or the pattern could not be set up.
    void FailInitialization();
    // A target whose content was scanned, with the rest of its handling still to do.
    struct ScannedTarget {
        // Its index in the target list, its path and GetPathKind.
        std::size_t index = 0;
        std::string path;
        int kind = 0;
        // Occurrences found in its content.
        int found = 0;
        // The complete new content, waiting for its commit; null when nothing is replaced.
        std::unique_ptr<ReplacementFile> rewrite;
        // The target's status when it was opened, and the replacements the rewrite holds.
        struct stat opened {};
        int replaced = 0;
        // The descriptor the content was read through, kept open with a rewrite until the
        // rewrite is committed, so the old file's blocks are freed by closing it (-1: none).
        int source = -1;
        // How far the rewrite got: Ready once prepared, then Replaced, Changed or Refused.
        ReplacementFile::Outcome outcome = ReplacementFile::Outcome::Refused;
    };

    // Handles target i of the list: scans its content, then finishes it at once or, while
    // every occurrence is taken and nothing else waits for it, with a batch of others.
    void RunTarget(std::size_t i);
    // A preview's target (scanned_): its name first, then its content; reports.
    void PreviewTarget(const OpenedPath& opened);
    // Scans the name of the target path (of kind) at index i; reports.
    void NameOfTarget(const std::string& path, int kind, std::size_t i);
    // Reports n occurrences under caption for path (nothing when n is 0).
    void ReportFound(const std::string& path, const char* caption, int n);
    // Whether the target just scanned may wait in the batch: "Process all !" is ticked, no
    // name is scanned (a rename needs the new content in place) and no report file is
    // written (its blocks follow the scans).
    bool MayBatch() const;
    // Commits the prepared rewrite of a scanned target, reports its findings, scans its name
    // and steps the progress bar. The directory of a commit is noted in `directories` for the
    // batch to flush once.
    void FinishTarget(ScannedTarget& target, std::set<std::string>& directories);
    // Hands the full batch_ over to be flushed beside the run (flushing_), once the batch
    // flushed before it is committed.
    void HandOverBatch();
    // Starts flushing flushing_ on a thread of its own (flushed_); false when none can be made.
    bool StartFlush();
    // Commits the batch being flushed, if any, then batch_: every scanned target is finished.
    void CommitBatches();
    // Waits for the flush of flushing_, if one was handed over, and commits that batch.
    void CommitFlushedBatch();
    // Commits a batch whose new contents on the file systems `flushed` are on the disk: prepares
    // its rewrites, notes them for undo, then finishes its targets in order.
    void CommitBatch(std::vector<ScannedTarget>& batch, const std::set<dev_t>& flushed);
    // How many of a batch's targets hold a rewrite.
    static std::size_t Rewrites(const std::vector<ScannedTarget>& batch);
    // Flushes the file systems of a batch's new contents, where more than one waits; the ones
    // flushed.
    static std::set<dev_t> SyncFileSystems(const std::vector<ScannedTarget>& batch);
    // Gets a rewrite ready for its rename (target.outcome), reporting nothing yet.
    void PrepareRewrite(ScannedTarget& target);
    // Notes the batch's ready rewrites in the undo journal together; one that cannot be noted
    // is withdrawn.
    void NoteBatchForUndo(std::vector<ScannedTarget>& batch);
    // Searches the current chunk, read from descriptor with the outcome `fill`, which a grown
    // window updates; the occurrences found. `replaced` counts the confirmed ones.
    int SearchChunk(const std::string& path, int descriptor, ReadBuffer::Fill& fill, int& replaced);
    // Keeps the rewrite of a scanned file in scanned_ when it holds replacements of a file
    // read to its end; otherwise discards it.
    void KeepRewrite(std::unique_ptr<ReplacementFile> file, const struct stat& opened, int replaced);
    // Renames a ready rewrite onto its target, or tells why not; whether it was replaced.
    bool FinishRewrite(ScannedTarget& target);
    // Renames the target to newName in its directory; whether it was renamed ("renamimg
    // error" and the reason when refused; the same name is no rename and no error).
    bool RenameTarget(const std::string& directory, const std::string& oldName, std::string newName,
                      std::size_t index);
    // A preview's rename: refused as the run would refuse it when newPath is taken, else
    // handed to the diff; whether it would be renamed.
    bool PreviewRename(const std::string& oldPath, const std::string& newPath);
    // Rewrites the later target-list lines below a renamed directory.
    void MoveLaterTargets(const std::string& oldPath, const std::string& newPath, std::size_t index);
    // What the occurrence `matched` the last search found becomes: its replacement built from
    // that very match, "$`" from prefixStart and "$'" up to suffixEnd of the searched text.
    std::string ReplacementFor(std::size_t prefixStart, std::size_t suffixEnd, std::string_view matched);
    // Counts one occurrence: totals, the box, and the report file's found texts.
    void NoteFound(std::string_view text);
    // Takes or keeps one occurrence after the answer; `replaced` counts the taken ones.
    void ApplyAnswer(std::string_view matched, const std::string& replacement, int& replaced);
    // Whether the shown occurrence is to be replaced.
    bool Confirmed() const;
    // Appends a line to the report list.
    void Report(const std::string& line);
    // Appends the refusal line `caption` and tells the note; counts the target as failed.
    void ReportFailure(const char* caption, const RunNote& note);
    // After a search that found nothing: whether the engine gave up on it (too much
    // backtracking, no stack left, cancelled) rather than finding no match. Then the target is
    // abandoned, so nothing is written for it, and the stop is reported.
    bool SearchStopped(const std::string& path);
    // Tells a note: a report line "path: reason", and the note sink.
    void Tell(const RunNote& note);
    // Shows running state values in the page's boxes.
    void PushValues();
    // Whether 50 ms have passed since messages were last handled; if so, the time restarts.
    bool PumpDue();
    // Under "Process all !", handles pending window messages at most once per 50 ms, so that
    // Cancel can be clicked while the run asks nothing more.
    void PumpNow();
    // Called by the engine while it searches: handles pending window messages at most once per
    // 50 ms, so that Cancel can stop a search that runs long.
    void PumpDuringSearch();

    // The job's settings.
    const JobSettings& job_;
    // The window-system seams and the lists.
    Seams seams_;
    // Where the run stands.
    RunState state_;
    // How content is read.
    ChunkReader reader_;
    // Where notes go besides the report list.
    std::function<void(const RunNote&)> noteSink_;
    // The files (device, inode) whose content this run has handled: content is changed
    // once per file, however many listed paths (links, a directory listed twice) reach it.
    std::set<std::pair<dev_t, ino_t>> contentDone_;
    // The undo journal of this run, or none.
    UndoJournal* journal_ = nullptr;
    // The preview's diff, or none.
    UnifiedDiff* diff_ = nullptr;
    // The target ScanContent scanned last, with its kept rewrite.
    ScannedTarget scanned_;
    // Scanned targets waiting for one flush of their new contents, in list order.
    std::vector<ScannedTarget> batch_;
    // The full batch before batch_, whose flush was handed over, and the file systems that
    // flush got on the disk (not valid while none is handed over). Declared in this order so
    // that the flush ends before its batch goes.
    std::vector<ScannedTarget> flushing_;
    std::future<std::set<dev_t>> flushed_;
    // Closes the descriptors of replaced files (ScannedTarget::source) beside the run.
    DeferredClose closer_;
    // When PumpNow or PumpDuringSearch last handled messages.
    std::chrono::steady_clock::time_point lastPump_;
    // Set by Cancel; the engine then stops the search under way.
    std::atomic<bool> cancelSearch_ = false;
};
