/*
 * Terminal: the run's seams for qmend. Questions and notices go to standard error and a
 * question's answer is one line of standard input (or Yes by --yes); each occurrence is
 * shown on standard error with its path, line and the text around it, and the answer line
 * is read when the run pumps its messages while it waits, then handed to the Start page's
 * button handlers exactly as clicks would be. The report list's new lines go to standard
 * output. The run's progress, and the walk's while the targets are listed, show on a
 * progress line. What the terminal has no use for (clipboard, choosers, the go button's blinking)
 * does nothing.
 */
#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "base/Desktop.h"
#include "base/LineList.h"
#include "base/Progress.h"
#include "cli/ProgressLine.h"
#include "run/RunTexts.h"
#include "run/StartView.h"
#include "targets/CFileFinder.h"

class SearchRun;

// How the questions before a run are answered.
struct AnswerPolicy {
    // --yes: Yes to the questions before the run (not the backup's, nor the temp dir's).
    bool yes = false;
    // --backup: the archive the archive dialog returns; the backup question is Yes with it.
    std::string backupArchive;
    // --empty-temp-dir: Yes to emptying the temp dir before the backup.
    bool emptyTempDir = false;
};

class Terminal : public Desktop, public StartView, public Progress, public FinderObserver {
public:
    // in: answers; out: the report; err: everything shown to the user.
    Terminal(std::FILE* in, std::FILE* out, std::FILE* err, AnswerPolicy policy);

    // The run whose buttons the answers press.
    void Attach(SearchRun* run) { run_ = run; }
    // Prints the report list's appended lines to out from now on.
    void Follow(LineList& report);
    // Whether a notice was shown since the last ForgetNotices (during a run's start, every
    // notice is an error).
    bool ShowedNotice() const { return showedNotice_; }
    void ForgetNotices() { showedNotice_ = false; }
    // "Process all !" is ticked: occurrences are no longer shown.
    void SetProcessAll(bool on) { processAll_ = on; }
    // The engine's message for the job's pattern, added to the "Regexp error!" notice.
    void SetRegexpDetail(std::string detail) { regexpDetail_ = std::move(detail); }

    void Notice(const std::string& text, const std::string& caption = kAppCaption) override;
    bool AskYesNo(const std::string& text, const std::string& caption = kAppCaption) override;
    DesktopAnswer AskYesNoCancel(const std::string& text, const std::string& caption = kAppCaption) override;
    void PumpMessages() override {}
    void PumpOneMessage() override;
    void Beep(int, int) override {}
    bool SetClipboardText(const char*) override { return false; }
    std::string GetClipboardText() override { return {}; }
    bool OpenWithDefaultHandler(const std::string&) override { return false; }
    bool SetTopmost(bool) override { return false; }
    std::optional<std::string> ChooseSaveFile(const FileChooserRequest&) override;
    std::vector<std::string> ChooseOpenFiles(const FileChooserRequest&) override { return {}; }
    FolderBrowseResult BrowseForFolder(const std::string&, const std::string&, int, int) override { return {}; }

    void ShowTotalFound(std::int32_t) override {}
    void ShowProcessAll(bool) override {}
    void ShowCurrentTarget(const std::string& path) override { progress_.SetCurrent(path); }
    void ShowOccurrence(const OccurrenceBox& box, const OccurrenceDetails& details) override;
    bool ShowsUnaskedOccurrences() const override { return false; }
    void ShowBoxText(const std::string&) override {}
    std::string GoLabel() const override { return goLabel_; }
    void SetGoLabel(const std::string& label) override { goLabel_ = label; }

    void SetRange(int, int last) override { progress_.Start(last); }
    void SetStep(int) override {}
    void SetPosition(int) override { progress_.Clear(); }
    void StepIt() override { progress_.StepDone(); }
    // The targets are being listed: the progress line counts the walk's entries.
    void StartListing() { progress_.StartListing(); }
    void OnFinderNotify(std::int32_t, const char* path, int) override { progress_.Walked(path); }
    // Before other output on err: removes the progress line, if shown, and writes out the
    // report so far.
    void MakeWayForMessage();
    // Whether the shown occurrence is highlighted in colour (by default: err is a terminal).
    void SetHighlight(bool on) { highlight_ = on; }

private:
    // Reads one line of input; false at its end.
    bool ReadLine(std::string& line);
    // Asks a question; Yes for "y" or "yes", or by the policy.
    bool Ask(const std::string& text);
    // The policy's answer to a question, if it has one.
    std::optional<bool> PolicyAnswer(const std::string& text) const;
    // Prints the answer prompt for an occurrence.
    void Prompt();
    // Hands an answer line to the run; false when it is not an answer.
    bool Dispatch(const std::string& line);

    // Where answers come from.
    std::FILE* in_;
    // Where the report goes.
    std::FILE* out_;
    // Where occurrences, questions and notices go.
    std::FILE* err_;
    // How the questions before the run are answered.
    AnswerPolicy policy_;
    // Whether err_ is a terminal (the occurrence is then highlighted).
    bool highlight_;
    // Whether in_ is a terminal (which echoes the answers itself).
    bool inIsTerminal_;
    // Whether out_ is a terminal, where each report line is shown at once.
    bool outIsTerminal_;
    // The run the answers go to.
    SearchRun* run_ = nullptr;
    // An occurrence is shown and its answer not yet read.
    bool awaitingAnswer_ = false;
    // Whether the shown occurrence would be replaced (the go answer's wording).
    bool replaceMode_ = false;
    // Occurrences are taken without showing them.
    bool processAll_ = false;
    // A notice was shown.
    bool showedNotice_ = false;
    // The go button's label.
    std::string goLabel_ = runtext::kGoIdle;
    // Why the engine refuses the job's pattern; empty when it does not.
    std::string regexpDetail_;
    // The run's progress on err_ while it takes long.
    ProgressLine progress_;
};
