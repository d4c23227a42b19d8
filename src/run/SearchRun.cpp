/*
 * SearchRun: the start of a run (its checks and questions, in a fixed order), the run
 * driver over the target list, the Start page's button handlers and the report list.
 */
#include "run/SearchRun.h"

#include <unistd.h>

#include <cstring>

#include "base/Paths.h"
#include "regex/Pattern.h"
#include "run/RunTexts.h"
#include "targets/TargetOverlap.h"

namespace {

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

void SearchRun::PumpNow()
{
    constexpr auto kPumpInterval = std::chrono::milliseconds(50);
    const auto now = std::chrono::steady_clock::now();
    if (!state_.processAll || now - lastPump_ < kPumpInterval) return;
    lastPump_ = now;
    seams_.desktop.PumpMessages();
}

void SearchRun::RunTarget(std::size_t i)
{
    const LineList& lines = seams_.targets.lines;
    const std::string path = i < lines.Count() ? lines.Line(i) : std::string();
    seams_.view.ShowCurrentTarget(path);
    const int kind = GetPathKind(path.c_str());
    state_.output.clear();
    const int replacedBefore = state_.replacedTotal;
    // A preview learns a file's new name before its content, so the file's diff shows both.
    if (diff_ != nullptr) NameOfTarget(path, kind, i);
    ContentOfTarget(path, kind);
    if (diff_ == nullptr) NameOfTarget(path, kind, i);
    if (state_.replacedTotal > replacedBefore) ++state_.changedTargets;
    seams_.progress.StepIt();
}

void SearchRun::ContentOfTarget(const std::string& path, int kind)
{
    if (!job_.inContent || kind != kPathFile) return;
    const int n = ScanContent(path);
    if (n == 0) return;
    Report(path);
    Report(runtext::kFoundInContent + std::to_string(n));
    if (job_.reportToFile) WriteReportBlockEnd(state_.reportFile, path, runtext::kFoundInContent, n);
}

void SearchRun::NameOfTarget(const std::string& path, int kind, std::size_t i)
{
    if (!(job_.inFileNames && kind == kPathFile) && !(job_.inDirNames && kind == kPathDirectory)) return;
    const int n = ScanName(path, i);
    if (n == 0) return;
    Report(path);
    Report(runtext::kFoundInName + std::to_string(n));
    if (job_.reportToFile) WriteReportBlockEnd(state_.reportFile, path, runtext::kFoundInName, n);
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
    ReportFailure(runtext::kSearchStopped, {RunNote::Kind::Unread, path, SearchStopReason(stop)});
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
