/*
 * The command line of qmend: options into a JobSettings, the expansion's settings and the
 * answers' policy, the configuration and backup options, then the pattern (none with --list
 * or --save-config) and the paths. Buffer size and overlap are checked once they are merged
 * with the configuration's. Parsed with getopt_long; a bad option, a missing operand or a bad
 * number is a usage error with a message.
 */
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/JobSettings.h"
#include "targets/ExpandOptions.h"

// When colours are used.
enum class ColorWhen { Auto, Always, Never };

struct CliOptions {
    // The job as the options set it (case-sensitive unless -i).
    JobSettings job;
    // "Process all !": take every occurrence without asking.
    bool all = false;
    // Answer Yes to the questions asked before the run.
    bool yes = false;
    // How the listed directories are expanded before the run.
    ExpandOptions expand;
    // Skip the expansion step.
    bool noExpand = false;
    // Print the target list after expansion and normalisation instead of running.
    bool list = false;
    // --exact-name, --empty-dirs, --zero-size-dirs, applied once every option is read.
    bool exactName = false;
    bool emptyDirs = false;
    bool zeroSizeDirs = false;
    // Buffer size and overlap given on the command line (else the configuration's).
    std::optional<std::uint64_t> bufferSize;
    std::optional<std::uint64_t> overlap;
    // --temp-dir and --archive-dir for this run (empty: the configuration's).
    std::string tempDir;
    std::string archiveDir;
    // --config: a parameter file loaded after the start-up read.
    std::string configFile;
    // --save-config: write the values to this parameter file and stop.
    std::string saveConfig;
    // --backup: the archive; the backup question is answered Yes.
    std::string backupArchive;
    // --empty-temp-dir: the question before the temp dir is emptied is answered Yes.
    bool emptyTempDir = false;
    // --no-undo: keep no undo record for this run.
    bool noUndo = false;
    // --runs: list the kept runs; --undo: take one back (undoRun, or the newest not undone).
    bool runs = false;
    bool undo = false;
    std::string undoRun;
    // --diff: print the run's changes as a unified diff instead of making them.
    bool diff = false;
    // --color.
    ColorWhen color = ColorWhen::Auto;
    // The paths to work on, as given.
    std::vector<std::string> paths;
    // --help or --version was asked for.
    bool help = false;
    bool version = false;
    // Why the command line is unusable; empty when it is fine.
    std::string error;
};

// Parses argv (argc entries).
CliOptions ParseOptions(int argc, char** argv);
// The --help text.
std::string UsageText();
