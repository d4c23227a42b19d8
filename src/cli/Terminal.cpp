/*
 * Terminal: message boxes, questions, occurrences and answers on the standard streams.
 */
#include "cli/Terminal.h"

#include <algorithm>
#include <utility>

#include <unistd.h>

#include "cli/TerminalText.h"
#include "run/RunTexts.h"
#include "run/SearchRun.h"

namespace {

// How the backup's question before it empties the temp dir begins.
constexpr const char* kEmptyTempDirQuestion = "Now the content of your temp dir:";

// Characters of context shown on each side of an occurrence.
constexpr std::size_t kShownContext = 60;

// The line of box text around [start, start + length), at most kShownContext bytes on each side.
void ContextAround(const std::string& text, std::size_t start, std::size_t length, std::string& before,
                   std::string& after)
{
    const std::size_t lineStart = start == 0 ? 0 : text.find_last_of('\n', start - 1);
    std::size_t from = lineStart == std::string::npos || start == 0 ? 0 : lineStart + 1;
    from = std::max(from, start > kShownContext ? start - kShownContext : 0);
    const std::size_t end = std::min(start + length, text.size());
    std::size_t to = text.find_first_of("\r\n", end);
    if (to == std::string::npos) to = text.size();
    to = std::min(to, end + kShownContext);
    before = text.substr(from, start - from);
    after = text.substr(end, to - end);
}

}  // namespace

Terminal::Terminal(std::FILE* in, std::FILE* out, std::FILE* err, AnswerPolicy policy)
    : in_(in), out_(out), err_(err), policy_(std::move(policy)), highlight_(isatty(fileno(err)) == 1),
      inIsTerminal_(isatty(fileno(in)) == 1), outIsTerminal_(isatty(fileno(out)) == 1), progress_(err)
{
}

void Terminal::Follow(LineList& report)
{
    report.Subscribe([this, &report](const LineListChange& change) {
        if (change.kind != LineListChange::Kind::Inserted || change.phase != LineListChange::Phase::After) return;
        progress_.Clear();
        for (std::size_t i = change.first; i < change.first + change.count && i < report.Count(); ++i)
            std::fprintf(out_, "%s\n", EscapeForTerminal(report.Line(i)).c_str());
        // A pipe or a file takes the report in blocks; it is written out before anything goes
        // to err, so the two keep their order where they meet.
        if (outIsTerminal_) std::fflush(out_);
    });
}

void Terminal::MakeWayForMessage()
{
    progress_.Clear();
    std::fflush(out_);
}

void Terminal::Notice(const std::string& text, const std::string&)
{
    showedNotice_ = true;
    MakeWayForMessage();
    std::string shown = MessageForTerminal(text);
    if (text == runtext::kRegexpError && !regexpDetail_.empty()) {
        shown += ' ';
        shown += EscapeForTerminal(regexpDetail_);
    }
    std::fprintf(err_, "qmend: %s\n", shown.c_str());
}

bool Terminal::AskYesNo(const std::string& text, const std::string&) { return Ask(text); }

DesktopAnswer Terminal::AskYesNoCancel(const std::string& text, const std::string&)
{
    return Ask(text) ? DesktopAnswer::Yes : DesktopAnswer::No;
}

bool Terminal::Ask(const std::string& text)
{
    MakeWayForMessage();
    std::fprintf(err_, "%s [y/N] ", MessageForTerminal(text).c_str());
    bool yes = false;
    if (const std::optional<bool> decided = PolicyAnswer(text)) {
        yes = *decided;
        std::fprintf(err_, "%s\n", yes ? "yes" : "no");
    } else {
        std::fflush(err_);
        std::string line;
        yes = ReadLine(line) && (line == "y" || line == "yes");
        if (!inIsTerminal_) std::fprintf(err_, "%s\n", EscapeForTerminal(line).c_str());
    }
    return yes;
}

std::optional<bool> Terminal::PolicyAnswer(const std::string& text) const
{
    if (text == runtext::kBackupQuestion) return !policy_.backupArchive.empty();
    if (text.rfind(kEmptyTempDirQuestion, 0) == 0) return policy_.emptyTempDir;
    if (policy_.yes) return true;
    return std::nullopt;
}

std::optional<std::string> Terminal::ChooseSaveFile(const FileChooserRequest&)
{
    if (policy_.backupArchive.empty()) return std::nullopt;
    return policy_.backupArchive;
}

void Terminal::ShowOccurrence(const OccurrenceBox& box, const OccurrenceDetails& details)
{
    if (processAll_) {
        // A run unticks "Process all !" when it starts; --all ticks it again at once.
        if (run_) run_->OnProcessAll(true);
        return;
    }
    MakeWayForMessage();
    std::string before;
    std::string after;
    ContextAround(box.text, box.selectionStart, box.selectionLength, before, after);
    const char* mark = highlight_ ? "\x1b[7m" : "[";
    const char* unmark = highlight_ ? "\x1b[0m" : "]";
    std::string where = EscapeForTerminal(details.path);
    if (details.inName) {
        where += " (name)";
    } else {
        where += ':';
        where += std::to_string(details.line);
    }
    std::fprintf(err_, "%s: %s%s%s%s%s\n", where.c_str(), EscapeForTerminal(before).c_str(), mark,
                 EscapeForTerminal(details.found).c_str(), unmark, EscapeForTerminal(after).c_str());
    replaceMode_ = details.replacement.has_value();
    if (replaceMode_) std::fprintf(err_, "  becomes: %s\n", EscapeForTerminal(*details.replacement).c_str());
    awaitingAnswer_ = true;
    Prompt();
}

void Terminal::Prompt()
{
    std::fprintf(err_, "[y] %s  [n] Skip this word  [f] Skip this file  [a] Process all !  [q] Cancel! (skip all)? ",
                 replaceMode_ ? runtext::kGoReplace : runtext::kGoContinue);
    std::fflush(err_);
}

void Terminal::PumpOneMessage()
{
    if (!awaitingAnswer_ || !run_) return;
    std::string line;
    const bool answered = ReadLine(line);
    if (!inIsTerminal_) std::fprintf(err_, "%s\n", EscapeForTerminal(line).c_str());
    if (Dispatch(answered ? line : std::string(1, 'q'))) awaitingAnswer_ = false;
    else Prompt();
}

bool Terminal::Dispatch(const std::string& line)
{
    if (line == "y") run_->OnGoButton();
    else if (line == "n") run_->OnSkipWord();
    else if (line == "f") run_->OnSkipFile();
    else if (line == "q") run_->OnCancel();
    else if (line == "a") {
        processAll_ = true;
        run_->OnProcessAll(true);
    } else {
        return false;
    }
    return true;
}

bool Terminal::ReadLine(std::string& line)
{
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(in_)) != EOF) {
        any = true;
        if (c == '\n') break;
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}
