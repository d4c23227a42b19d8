/*
 * qmend: the search/replace run from a terminal. It runs the program's start-up (the
 * configuration file read or created, the work directories checked), applies --config and
 * the command line's values, adds the paths to a target list as dropped names are added and
 * expands them as "Expand!" does, then starts the run exactly as the Start page's go button
 * starts it, with the terminal answering its questions and occurrences.
 *
 * Exit status: 0 something was found; 1 nothing was found, or a question was answered No;
 * 2 bad usage, an error message of the run's start, a PATH that could not be listed (the
 * others are still processed) or a target that could not be read; 3 a target that could not
 * be changed (this wins over 2). Each such target gets a line with its path and the reason on
 * standard error, and a replacing run ends with a summary there.
 */
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/FileChooser.h"
#include "base/Random.h"
#include "cli/DiffOutput.h"
#include "cli/Options.h"
#include "cli/Preflight.h"
#include "cli/SignalHandlers.h"
#include "cli/Terminal.h"
#include "cli/TerminalText.h"
#include "cli/UndoCommands.h"
#include "regex/CRegexp.h"
#include "run/SearchRun.h"
#include "settings/ConfigPage.h"
#include "settings/Startup.h"
#include "targets/CFileFinder.h"
#include "targets/ExpandOptions.h"
#include "targets/TargetList.h"

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNothing = 1;
constexpr int kExitError = 2;
constexpr int kExitTargetFailed = 3;

// The version printed by --version.
constexpr const char* kVersion = "qmend (Quillmend) " QM_VERSION_TEXT;

// Prints a usage or setup error and gives the error status.
int Fail(const std::string& message)
{
    std::fprintf(stderr, "qmend: %s\n", EscapeForTerminal(message).c_str());
    return kExitError;
}

// Adds the paths to the list as dropped names are added; reports each one that cannot be
// listed with the reason. Whether every path was listed.
bool AddPaths(TargetList& targets, const std::vector<std::string>& paths)
{
    std::vector<std::string> skipped;
    targets.AddPaths(paths, &skipped);
    for (const std::string& path : skipped)
        std::fprintf(stderr, "qmend: %s: %s\n", EscapeForTerminal(path).c_str(), WhyNotListed(path).c_str());
    return skipped.empty();
}

// Loads --config and applies the command line's values to the configuration page; an
// error message, or empty when the values are usable.
std::string ConfigureFrom(const CliOptions& options, CMainConfigSheet& sheet, Desktop& desktop)
{
    CMainConfigPage1& page = sheet.page;
    if (!options.configFile.empty() && !LoadParamsFrom(sheet, desktop, options.configFile))
        return "cannot read the parameter file " + options.configFile;
    const std::uint64_t buffer = options.bufferSize.value_or(page.bufferSize);
    const std::uint64_t overlap = options.overlap.value_or(page.overlap);
    if (!BufferSettingsValid(buffer, overlap))
        return "buffer size and overlap must satisfy 0 < overlap < buffer size <= 1073741824";
    page.bufferSize = static_cast<std::uint32_t>(buffer);
    page.overlap = static_cast<std::uint32_t>(overlap);
    if (!options.tempDir.empty()) page.tempDir = CDynString(options.tempDir.c_str());
    if (!options.archiveDir.empty()) page.archiveDir = CDynString(options.archiveDir.c_str());
    return {};
}

// The job: the command line's pattern options with the configuration's values.
JobSettings JobFrom(const CliOptions& options, const CMainConfigPage1& page)
{
    JobSettings job = options.job;
    job.bufferSize = page.bufferSize;
    job.overlap = page.overlap;
    job.tempDir = page.tempDir.View();
    job.archiveDir = page.archiveDir.View();
    if (!job.reportToFile) job.reportFilePath = page.reportFilePath.View();
    return job;
}

// The target list of the paths, expanded unless asked not to (the walk shown on the
// terminal's progress line), then normalised at once; `given` receives the listed paths as
// the command line named them. Whether every path was listed.
bool BuildTargets(const CliOptions& options, TargetList& targets, std::vector<std::string>& given, Terminal& terminal)
{
    const bool allListed = AddPaths(targets, options.paths);
    given = targets.Paths();
    if (!options.noExpand) {
        CFileFinder finder;
        finder.notifyWindow = &terminal;
        terminal.StartListing();
        ExpandTargets(targets, finder, options.expand);
    }
    targets.NormalizeRefilledTargets();
    terminal.MakeWayForMessage();
    return allListed;
}

// Tells a target's note on standard error.
void PrintNote(const RunNote& note)
{
    std::fprintf(stderr, "qmend: %s: %s\n", EscapeForTerminal(note.path).c_str(), EscapeForTerminal(note.reason).c_str());
}

// What a replacing run did, on standard error.
void PrintSummary(const RunState& state)
{
    std::fprintf(stderr,
                 "qmend: replaced %d occurrences in %d files; %d confirmed ones not written (\"Skip this file\", "
                 "\"Cancel! (skip all)\" or a file the run could not finish)\n",
                 state.replacedTotal, state.changedTargets, state.droppedConfirmed);
}

// Runs the job; the exit status.
int Run(const CliOptions& options, const JobSettings& job, TargetList& targets, Terminal& terminal,
        const CDynString& archiverPath, const std::string& undoDirectory)
{
    LineList report;
    FileChooser chooser;
    SearchRun run(job, {terminal, terminal, terminal, report, targets, chooser});
    UndoJournal journal(undoDirectory, {job.pattern, job.replacement, RunFlagString(job)});
    UnifiedDiff diff(std::filesystem::current_path(), DiffPrinter(stdout, UseColor(options.color, stdout)));
    if (options.diff) run.SetDiff(&diff);
    else if (!job.searchOnly && !options.noUndo) run.SetUndoJournal(&journal);
    run.SetArchiverPath(archiverPath);
    run.SetNoteSink([&terminal](const RunNote& note) {
        terminal.MakeWayForMessage();
        PrintNote(note);
    });
    terminal.Attach(&run);
    // Standard output carries the diff in a preview, the report otherwise.
    if (!options.diff) terminal.Follow(report);
    terminal.SetProcessAll(options.all || options.diff);
    terminal.SetHighlight(UseColor(options.color, stderr));
    terminal.ForgetNotices();
    run.OnGoButton();
    if (terminal.ShowedNotice()) return kExitError;
    if (report.Count() == 0) return kExitNothing;
    const RunState& state = run.State();
    terminal.MakeWayForMessage();
    if (!job.searchOnly && !options.diff) PrintSummary(state);
    if (state.unchangedTargets > 0) return kExitTargetFailed;
    if (state.unreadTargets > 0) return kExitError;
    if (options.diff) return diff.Changed() ? kExitFound : kExitNothing;
    return state.totalFound > 0 ? kExitFound : kExitNothing;
}

}  // namespace

int main(int argc, char** argv)
{
    CliOptions options = ParseOptions(argc, argv);
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitFound;
    }
    if (options.version) {
        std::printf("%s\n", kVersion);
        return kExitFound;
    }
    if (!options.error.empty()) return Fail(options.error);
    MakePathsAbsolute(options);
    SeedRandomFromTime();
    InstallSignalHandlers();
    Terminal terminal(stdin, stdout, stderr, {options.yes, options.backupArchive, options.emptyTempDir});
    CMainConfigSheet sheet;
    LineList welcome;
    StartupEnvironment environment = CurrentEnvironment(ExecutableDirectory());
    environment.warnMissingArchiver = !options.backupArchive.empty();
    const std::string undoDirectory = UndoDirectory(WorkBaseDirectory(environment));
    if (options.runs) return ListRuns(undoDirectory);
    if (options.undo) return UndoRunCommand(undoDirectory, options.undoRun, terminal);
    const StartupState startup = RunStartup(terminal, sheet, welcome, environment);
    const std::string problem = ConfigureFrom(options, sheet, terminal);
    if (!problem.empty()) return Fail(problem);
    if (!options.saveConfig.empty())
        return SaveParamsTo(sheet, options.saveConfig) ? kExitFound : Fail("cannot write " + options.saveConfig);
    TargetList targets;
    std::vector<std::string> guarded;
    const bool allListed = BuildTargets(options, targets, guarded, terminal);
    const int missingStatus = allListed ? kExitFound : kExitError;
    if (options.list) {
        for (const std::string& path : targets.Paths()) std::printf("%s\n", EscapeForTerminal(path).c_str());
        return missingStatus;
    }
    guarded.insert(guarded.end(), targets.Paths().begin(), targets.Paths().end());
    if (const std::string refusal = WrittenPathProblem(options, guarded); !refusal.empty()) return Fail(refusal);
    const JobSettings job = JobFrom(options, sheet.page);
    terminal.SetRegexpDetail(
        PatternProblem(job.pattern, CRegexp::EngineFlags(""), job.searchOnly ? nullptr : &job.replacement));
    return std::max(Run(options, job, targets, terminal, startup.archiverPath, undoDirectory), missingStatus);
}
