/*
 * SearchRun: the start of a run (its checks and questions, in a fixed order), the run
 * driver over the target list, the Start page's button handlers and the report list.
 */
#include "run/SearchRun.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <system_error>

#include "base/Paths.h"
#include "regex/Pattern.h"
#include "run/RunTexts.h"
#include "run/SignalCleanup.h"
#include "targets/TargetOverlap.h"

namespace {

// The longest a run that asks nothing leaves the window's messages waiting.
constexpr auto kPumpInterval = std::chrono::milliseconds(50);

// Why the engine gave up on a search, for the report.
const char* SearchStopReason(regex::search_stop stop)
{
    switch (stop) {
    case regex::search_stop::budget: return "too much backtracking: the search's step budget ran out";
    case regex::search_stop::stack: return "the pattern nests too deeply for the search stack";
    case regex::search_stop::cancelled: return "the search was cancelled";
    case regex::search_stop::none: break;
    }
    return "the search stopped";
}

}  // namespace

SearchRun::SearchRun(const JobSettings& job, const Seams& seams)
    : job_(job), seams_(seams), reader_([](int fd, char* buffer, std::size_t n) { return read(fd, buffer, n); })
{
    state_.regex.SetCancelFlag(&cancelSearch_);
    state_.regex.SetPollHook([this] { PumpDuringSearch(); });
}

void SearchRun::OnGoButton() { StartRun(); }

void SearchRun::OnSkipWord()
{
    if (state_.running) state_.answer = kAnswerSkip;
}

void SearchRun::OnSkipFile()
{
    if (!state_.running) return;
    state_.answer = kAnswerSkip;
    state_.fileState = kFileAbandoned;
}

void SearchRun::OnCancel()
{
    if (!state_.running) return;
    state_.running = false;
    state_.answer = kAnswerSkip;
    state_.fileState = kFileAbandoned;
    cancelSearch_ = true;
}

void SearchRun::OnProcessAll(bool ticked) { state_.processAll = ticked ? 1 : 0; }

void SearchRun::StartRun()
{
    Desktop& desktop = seams_.desktop;
    if (state_.running) {
        state_.answer = kAnswerGo;
        return;
    }
    if (!job_.inContent && !job_.inFileNames && !job_.inDirNames) return desktop.Notice(runtext::kNothingChecked);
    if (job_.pattern.empty()) return desktop.Notice(runtext::kNoPhrase);
    if (seams_.targets.lines.Count() == 0) return desktop.Notice(runtext::kNoFile);
    if (UsableGroupCount(job_) < 1) return desktop.Notice(runtext::kRegexpError);
    if (job_.reportToFile) {
        const std::string target = TargetHolding(job_.reportFilePath, seams_.targets.Paths());
        if (!target.empty()) return desktop.Notice(runtext::kReportIsTarget + job_.reportFilePath + "\n" + target);
    }
    // A preview changes nothing, so it needs no warning, backup or go-ahead.
    const bool changes = !job_.searchOnly && diff_ == nullptr;
    if (changes && !desktop.AskYesNo(runtext::kChangeWarning)) return;
    if (changes && !OfferBackup()) return;
    if (diff_ == nullptr && !desktop.AskYesNo(runtext::kStartQuestion)) return;
    seams_.targets.NormalizeTargets();
    RunJob();
}

bool SearchRun::OfferBackup()
{
    Desktop& desktop = seams_.desktop;
    if (!desktop.AskYesNo(runtext::kBackupQuestion)) return true;
    bool archive = true;
    if (GetPathKind(state_.archiverPath.GetText()) != kPathFile) {
        const std::string name = state_.archiverPath.IsEmpty() ? kArchiverName : CutPath(state_.archiverPath.GetText()).name;
        if (!desktop.AskYesNo(runtext::kArchiverMissingHead + name + runtext::kArchiverMissingTail)) return false;
        archive = false;
    }
    if (GetPathKind(job_.tempDir.c_str()) != kPathDirectory) return desktop.AskYesNo(runtext::kTempDirMissing);
    if (!archive) return true;
    const auto archivePath = ChooseArchive(seams_.chooser, desktop, CDynString(job_.archiveDir.c_str()));
    if (!archivePath) return true;
    const BackupSettings settings{CDynString(job_.tempDir.c_str()), state_.archiverPath};
    return MakeBackupArchive(desktop, &seams_.progress, seams_.targets, settings, CDynString(archivePath->c_str()));
}

bool SearchRun::RunJob()
{
    state_.running = true;
    cancelSearch_ = false;
    state_.answer = kAnswerNone;
    state_.processAll = diff_ != nullptr ? 1 : 0;
    state_.fileState = kFileReading;
    state_.totalFound = 0;
    state_.unreadTargets = state_.unchangedTargets = 0;
    state_.replacedTotal = state_.changedTargets = state_.droppedConfirmed = 0;
    contentDone_.clear();
    PushValues();
    const std::size_t count = seams_.targets.lines.Count();
    seams_.progress.SetRange(0, static_cast<int>(count));
    seams_.progress.SetStep(1);
    seams_.progress.SetPosition(0);
    seams_.report.Clear();
    Report(runtext::kReportHeader);
    Report(runtext::kProcessStarted);
    const bool allocated = state_.readBuffer.Allocate(job_.bufferSize, job_.overlap);
    const bool compiled = state_.regex.Compile(job_.pattern.c_str(), RunFlagString(job_).c_str());
    if (!allocated || !compiled) {
        FailInitialization();
        return true;
    }
    if (job_.reportToFile && !OpenReportFile(state_.reportFile, job_.reportFilePath))
        Tell({RunNote::Kind::Info, job_.reportFilePath, std::string(runtext::kReportFileFailed) + ": " + std::strerror(errno)});
    for (std::size_t i = 0; state_.running && i < count; ++i) {
        PumpNow();
        if (state_.running) RunTarget(i);
    }
    CommitBatches();
    closer_.Drain();
    if (diff_ != nullptr) diff_->Finish();
    state_.readBuffer.Free();
    state_.regex.Clear();
    seams_.progress.SetPosition(static_cast<int>(count));
    state_.running = false;
    state_.processAll = 0;
    PushValues();
    seams_.view.ShowBoxText(runtext::kProcessDone);
    Report(runtext::kTotalFound + std::to_string(state_.totalFound));
    Report(runtext::kDone);
    if (job_.reportToFile) WriteReportClosing(state_.reportFile, state_.allResults);
    state_.reportFile.Close();
    state_.allResults.Clear();
    return true;
}

void SearchRun::FailInitialization()
{
    state_.readBuffer.Free();
    state_.regex.Clear();
    seams_.desktop.Notice(runtext::kInitializationError);
    state_.running = false;
    state_.processAll = 0;
    PushValues();
    seams_.view.ShowBoxText(runtext::kProcessDone);
    Report(runtext::kError);
    Report(runtext::kDone);
}

bool SearchRun::PumpDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < kPumpInterval) return false;
    lastPump_ = now;
    return true;
}

void SearchRun::PumpNow()
{
    if (state_.processAll && PumpDue()) seams_.desktop.PumpMessages();
}

void SearchRun::PumpDuringSearch()
{
    if (!PumpDue()) return;
    seams_.desktop.PumpMessages();
    // No occurrence is shown while the engine searches, so "Search/Replace!" or "Skip this
    // word" clicked meanwhile answers nothing; "Skip this file" and Cancel still count.
    if (state_.fileState != kFileAbandoned) state_.answer = kAnswerNone;
}

namespace {

// The most scanned targets with a rewrite in a batch; each holds two descriptors (its source
// and its new file) and a slot of the signal cleanup. A batch whose contents are being flushed,
// the batch being filled and the file being scanned hold at most twice as many slots.
constexpr std::size_t kBatchRewrites = 32;
static_assert(2 * kBatchRewrites <= kTemporaryFileSlots);

}  // namespace

void SearchRun::RunTarget(std::size_t i)
{
    if (!MayBatch()) CommitBatches();
    const LineList& lines = seams_.targets.lines;
    scanned_ = ScannedTarget{};
    scanned_.index = i;
    scanned_.path = i < lines.Count() ? lines.Line(i) : std::string();
    seams_.view.ShowCurrentTarget(scanned_.path);
    state_.output.clear();
    // A content run opens the target as it learns its kind: one lookup of the path.
    OpenedPath opened;
    if (job_.inContent) opened = OpenPathKind(scanned_.path.c_str());
    else opened.kind = GetPathKind(scanned_.path.c_str());
    scanned_.kind = opened.kind;
    if (diff_ != nullptr) return PreviewTarget(opened);
    if (job_.inContent && scanned_.kind == kPathFile) scanned_.found = ScanContent(scanned_.path, opened);
    batch_.push_back(std::exchange(scanned_, ScannedTarget{}));
    if (!MayBatch()) CommitBatches();
    else if (Rewrites(batch_) >= kBatchRewrites) HandOverBatch();
}

void SearchRun::PreviewTarget(const OpenedPath& opened)
{
    const ScannedTarget target = std::exchange(scanned_, ScannedTarget{});
    // A preview learns a file's new name before its content, so the file's diff shows both.
    NameOfTarget(target.path, target.kind, target.index);
    if (job_.inContent && target.kind == kPathFile) ReportFound(target.path, runtext::kFoundInContent, ScanContent(target.path, opened));
    seams_.progress.StepIt();
}

bool SearchRun::MayBatch() const
{
    return !job_.searchOnly && state_.processAll && !job_.inFileNames && !job_.inDirNames && !job_.reportToFile;
}

void SearchRun::HandOverBatch()
{
    CommitFlushedBatch();
    flushing_ = std::exchange(batch_, {});
    if (StartFlush()) return;
    // The system has no thread to spare: the batch is flushed and committed here.
    CommitBatch(flushing_, SyncFileSystems(flushing_));
}

bool SearchRun::StartFlush()
{
    // The flush waits for the disk while the run scans the next batch; its thread takes no
    // termination signal, so the run's own thread handles one where it allows it.
    const TerminationSignalsBlocked blocked;
    try {
        flushed_ = std::async(std::launch::async, [this] { return SyncFileSystems(flushing_); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void SearchRun::CommitBatches()
{
    CommitFlushedBatch();
    CommitBatch(batch_, SyncFileSystems(batch_));
}

void SearchRun::CommitFlushedBatch()
{
    if (flushed_.valid()) CommitBatch(flushing_, flushed_.get());
}

void SearchRun::CommitBatch(std::vector<ScannedTarget>& batch, const std::set<dev_t>& flushed)
{
    // Crash safety, in this order for the whole batch:
    //  1. every new content is complete and flushed to the disk (one syncfs of its file system
    //     begun after the batch's last write, or Prepare's own fsync), and each target is
    //     checked to be the file that was read;
    //  2. with an undo journal, every original is kept (a link) and the lines naming all the
    //     batch's changes are written and flushed at once; each target is checked again;
    //  3. only then is any target renamed over, each in one atomic step right after a last
    //     check, and each directory is flushed once after its renames;
    //  4. the descriptors the targets were read through are closed (beside the run), which
    //     only frees the blocks of files no longer named anywhere.
    // So a crash at any moment leaves each target wholly old or wholly new, and the journal
    // names every change made before it is made; a crash between the renames of step 3 leaves
    // lines of changes not made, whose kept original is still the target itself, which an
    // undo recognises and passes over. Only the flushes are shared; the next batch is scanned
    // while this one's flush waits for the disk, and it changes nothing before it is committed.
    for (ScannedTarget& target : batch) {
        if (!target.rewrite) continue;
        if (flushed.contains(target.rewrite->Device())) target.rewrite->MarkFlushed();
        PrepareRewrite(target);
    }
    NoteBatchForUndo(batch);
    std::set<std::string> directories;
    for (ScannedTarget& target : batch) FinishTarget(target, directories);
    batch.clear();
    for (const std::string& directory : directories) SyncDirectory(directory);
}

std::size_t SearchRun::Rewrites(const std::vector<ScannedTarget>& batch)
{
    return static_cast<std::size_t>(std::count_if(batch.begin(), batch.end(), [](const ScannedTarget& t) { return t.rewrite != nullptr; }));
}

std::set<dev_t> SearchRun::SyncFileSystems(const std::vector<ScannedTarget>& batch)
{
    // A successful syncfs also says that no write-back on the file system failed since the
    // descriptor it was given was opened (Linux 5.8 on); it is given the batch's first
    // temporary file there, so it vouches for all of them. Where it fails, Prepare flushes
    // each file on its own and reports its own failure. A single file is flushed on its own.
    std::set<dev_t> flushed;
    if (Rewrites(batch) < 2) return flushed;
    std::set<dev_t> tried;
    for (const ScannedTarget& target : batch) {
        if (!target.rewrite || !tried.insert(target.rewrite->Device()).second) continue;
        if (target.rewrite->SyncFileSystem()) flushed.insert(target.rewrite->Device());
    }
    return flushed;
}

void SearchRun::NoteBatchForUndo(std::vector<ScannedTarget>& batch)
{
    if (journal_ == nullptr) return;
    std::vector<ScannedTarget*> ready;
    std::vector<PendingContent> changes;
    for (ScannedTarget& target : batch) {
        if (!target.rewrite || target.outcome != ReplacementFile::Outcome::Ready) continue;
        ready.push_back(&target);
        changes.push_back({target.rewrite->Target(), target.rewrite->TemporaryPath()});
    }
    if (changes.empty()) return;
    const std::vector<std::string> failures = journal_->NoteContents(changes);
    for (std::size_t i = 0; i < ready.size(); ++i) {
        ReplacementFile& file = *ready[i]->rewrite;
        if (!failures[i].empty()) ready[i]->outcome = file.Withdraw(failures[i]);
        else if (!file.Relinked()) ready[i]->outcome = ReplacementFile::Outcome::Changed;
    }
}

void SearchRun::FinishTarget(ScannedTarget& target, std::set<std::string>& directories)
{
    const int replacedBefore = state_.replacedTotal;
    if (target.rewrite && FinishRewrite(target)) directories.insert(target.rewrite->Directory());
    target.rewrite.reset();
    if (target.source != -1) closer_.Close(std::exchange(target.source, -1));
    ReportFound(target.path, runtext::kFoundInContent, target.found);
    NameOfTarget(target.path, target.kind, target.index);
    if (state_.replacedTotal > replacedBefore) ++state_.changedTargets;
    seams_.progress.StepIt();
}

void SearchRun::NameOfTarget(const std::string& path, int kind, std::size_t i)
{
    if (!(job_.inFileNames && kind == kPathFile) && !(job_.inDirNames && kind == kPathDirectory)) return;
    ReportFound(path, runtext::kFoundInName, ScanName(path, i));
}

void SearchRun::ReportFound(const std::string& path, const char* caption, int n)
{
    if (n == 0) return;
    Report(path);
    Report(caption + std::to_string(n));
    if (job_.reportToFile) WriteReportBlockEnd(state_.reportFile, path, caption, n);
}

void SearchRun::NoteFound(std::string_view text)
{
    ++state_.totalFound;
    seams_.view.ShowTotalFound(state_.totalFound);
    if (!job_.reportToFile || !state_.reportFile.IsOpen()) return;
    std::string line(text);
    line += "\r\n";
    WriteReportText(state_.reportFile, line);
    state_.allResults.Add(text);
}

void SearchRun::Report(const std::string& line) { seams_.report.Append(line); }

bool SearchRun::SearchStopped(const std::string& path)
{
    const regex::search_stop stop = state_.regex.GetSearchStop();
    if (stop == regex::search_stop::none) return false;
    state_.fileState = kFileAbandoned;
    const char* caption = stop == regex::search_stop::cancelled ? runtext::kSearchCancelled : runtext::kSearchStopped;
    ReportFailure(caption, {RunNote::Kind::Unread, path, SearchStopReason(stop)});
    return true;
}

void SearchRun::ReportFailure(const char* caption, const RunNote& note)
{
    ++(note.kind == RunNote::Kind::Unread ? state_.unreadTargets : state_.unchangedTargets);
    Report(caption);
    Tell(note);
}

void SearchRun::Tell(const RunNote& note)
{
    Report(note.path + ": " + note.reason);
    if (noteSink_) noteSink_(note);
}

void SearchRun::PushValues()
{
    seams_.view.ShowProcessAll(state_.processAll != 0);
    seams_.view.ShowTotalFound(state_.totalFound);
}
