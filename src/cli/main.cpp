/*
 * qmend: the search/replace run from a terminal. The paths are added to a target list as
 * dropped names are and expanded as "Expand!" expands them, then the run is started exactly
 * as the Start page's go button starts it, with the terminal answering its questions and
 * occurrences.
 *
 * Exit status: 0 something was found; 1 nothing was found, or a question was answered No;
 * 2 bad usage or an error message of the run's start; 3 the run ended but a target could not
 * be rewritten or renamed.
 */
#include <cstdio>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "backup/FileChooser.h"
#include "base/Random.h"
#include "cli/Options.h"
#include "cli/Terminal.h"
#include "cli/TerminalText.h"
#include "run/SearchRun.h"
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

// Adds the paths to the list as dropped names are added; reports the missing ones.
void AddPaths(TargetList& targets, const std::vector<std::string>& paths)
{
    FileDrop drop;
    drop.names = paths;
    std::vector<std::string> skipped;
    CFileFinder::AddDroppedFiles(&drop, true, targets.outputList, 0, 0, 10000, 10000, &skipped);
    targets.FillListFromOutput(false);
    for (const std::string& path : skipped)
        std::fprintf(stderr, "qmend: %s: no such file or directory\n", EscapeForTerminal(path).c_str());
}

// The directory of the running executable.
std::string ProgramDirectory()
{
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return ".";
    const std::string path(buffer.data(), static_cast<std::size_t>(n));
    return path.substr(0, path.find_last_of('/'));
}

}  // namespace

int main(int argc, char** argv)
{
    const CliOptions options = ParseOptions(argc, argv);
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitFound;
    }
    if (options.version) {
        std::printf("%s\n", kVersion);
        return kExitFound;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "qmend: %s\n", options.error.c_str());
        return kExitError;
    }
    SeedRandomFromTime();
    Terminal terminal(stdin, stdout, stderr, options.yes);
    TargetList targets;
    LineList report;
    FileChooser chooser;
    AddPaths(targets, options.paths);
    if (!options.noExpand) {
        CFileFinder finder;
        ExpandTargets(targets, finder, options.expand);
    }
    if (options.list) {
        targets.NormalizeTargets();
        for (const std::string& path : targets.Paths()) std::printf("%s\n", EscapeForTerminal(path).c_str());
        return kExitFound;
    }
    SearchRun run(options.job, {terminal, terminal, terminal, report, targets, chooser});
    run.SetArchiverPath(FindArchiver(ProgramDirectory(), std::getenv("PATH")));
    terminal.Attach(&run);
    terminal.Follow(report);
    if (options.all) {
        terminal.SetProcessAll(true);
        run.OnProcessAll(true);
    }
    run.OnGoButton();
    if (terminal.ShowedNotice()) return kExitError;
    if (report.Count() == 0) return kExitNothing;
    if (run.State().failedTargets > 0) return kExitTargetFailed;
    return run.State().totalFound > 0 ? kExitFound : kExitNothing;
}
