/*
 * qmend's options with getopt_long.
 */
#include "cli/Options.h"

#include <cerrno>
#include <cstdlib>

#include <getopt.h>

#include "cli/Preflight.h"
#include "regex/CRegexp.h"

namespace {

// Long options without a short form.
enum LongOnly {
    kNoContent = 256,
    kNames,
    kDirs,
    kReport,
    kBufferSize,
    kOverlap,
    kHelp,
    kVersion,
    kNoExpand,
    kNoFiles,
    kNoDirs,
    kName,
    kNameCase,
    kExactName,
    kSize,
    kCreated,
    kModified,
    kAccessed,
    kEmptyDirs,
    kZeroSizeDirs,
    kList,
    kBackup,
    kEmptyTempDir,
    kConfig,
    kTempDir,
    kArchiveDir,
    kSaveConfig,
};

const option kOptions[] = {
    {"replace", required_argument, nullptr, 'r'},
    {"ignore-case", no_argument, nullptr, 'i'},
    {"multiline", no_argument, nullptr, 'm'},
    {"dot-all", no_argument, nullptr, 's'},
    {"extended", no_argument, nullptr, 'x'},
    {"whole-word", no_argument, nullptr, 'w'},
    {"no-content", no_argument, nullptr, kNoContent},
    {"names", no_argument, nullptr, kNames},
    {"dirs", no_argument, nullptr, kDirs},
    {"all", no_argument, nullptr, 'a'},
    {"yes", no_argument, nullptr, 'y'},
    {"report", required_argument, nullptr, kReport},
    {"buffer-size", required_argument, nullptr, kBufferSize},
    {"overlap", required_argument, nullptr, kOverlap},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"depth", required_argument, nullptr, 'd'},
    {"no-expand", no_argument, nullptr, kNoExpand},
    {"no-files", no_argument, nullptr, kNoFiles},
    {"no-dirs", no_argument, nullptr, kNoDirs},
    {"name", required_argument, nullptr, kName},
    {"name-case", no_argument, nullptr, kNameCase},
    {"exact-name", no_argument, nullptr, kExactName},
    {"size", required_argument, nullptr, kSize},
    {"created", required_argument, nullptr, kCreated},
    {"modified", required_argument, nullptr, kModified},
    {"accessed", required_argument, nullptr, kAccessed},
    {"empty-dirs", no_argument, nullptr, kEmptyDirs},
    {"zero-size-dirs", no_argument, nullptr, kZeroSizeDirs},
    {"list", no_argument, nullptr, kList},
    {"backup", required_argument, nullptr, kBackup},
    {"empty-temp-dir", no_argument, nullptr, kEmptyTempDir},
    {"config", required_argument, nullptr, kConfig},
    {"temp-dir", required_argument, nullptr, kTempDir},
    {"archive-dir", required_argument, nullptr, kArchiveDir},
    {"save-config", required_argument, nullptr, kSaveConfig},
    {nullptr, 0, nullptr, 0},
};

// A decimal number of bytes; false for anything else.
bool ParseBytes(const char* text, std::uint64_t& value)
{
    if (*text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    value = parsed;
    return true;
}

// Applies one option of the expansion; false (with options.error set) when it is unusable.
bool ApplyExpandOption(int option, const char* argument, CliOptions& options)
{
    ExpandOptions& expand = options.expand;
    bool usable = true;
    switch (option) {
    case 'd': {
        char* end = nullptr;
        const long depth = std::strtol(argument, &end, 10);
        usable = *argument != '\0' && *end == '\0' && depth >= -1 && depth <= 9;
        expand.depth = static_cast<std::int32_t>(depth);
        break;
    }
    case kNoExpand: options.noExpand = true; break;
    case kNoFiles: expand.wantFiles = false; break;
    case kNoDirs: expand.wantDirs = false; break;
    case kName: expand.pattern = argument; break;
    case kNameCase: expand.ignoreCase = false; break;
    case kExactName: options.exactName = true; break;
    case kSize: usable = ParseSizeRange(argument, expand.criteria); break;
    case kCreated: usable = ParseTimeRange(argument, TimeField::Created, expand.criteria); break;
    case kModified: usable = ParseTimeRange(argument, TimeField::Modified, expand.criteria); break;
    case kAccessed: usable = ParseTimeRange(argument, TimeField::Accessed, expand.criteria); break;
    case kEmptyDirs: options.emptyDirs = true; break;
    case kZeroSizeDirs: options.zeroSizeDirs = true; break;
    case kList: options.list = true; break;
    case kBackup: options.backupArchive = argument; break;
    case kEmptyTempDir: options.emptyTempDir = true; break;
    case kConfig: options.configFile = argument; break;
    case kTempDir: options.tempDir = argument; break;
    case kArchiveDir: options.archiveDir = argument; break;
    case kSaveConfig: options.saveConfig = argument; break;
    default: options.error = "unknown option (see --help)"; return false;
    }
    if (!usable) options.error = std::string("invalid value: ") + argument;
    return usable;
}

// Applies one option; false (with options.error set) when it is unusable.
bool ApplyOption(int option, const char* argument, CliOptions& options)
{
    JobSettings& job = options.job;
    switch (option) {
    case 'r': job.replacement = argument; job.searchOnly = false; return true;
    case 'i': job.ignoreCase = true; return true;
    case 'm': job.multiline = true; return true;
    case 's': job.dotAll = true; return true;
    case 'x': job.extended = true; return true;
    case 'w': job.wholeWord = true; return true;
    case kNoContent: job.inContent = false; return true;
    case kNames: job.inFileNames = true; return true;
    case kDirs: job.inDirNames = true; return true;
    case 'a': options.all = true; return true;
    case 'y': options.yes = true; return true;
    case kReport: job.reportFilePath = argument; job.reportToFile = true; return true;
    case kHelp: options.help = true; return true;
    case kVersion: options.version = true; return true;
    case kBufferSize:
        if (ParseBytes(argument, options.bufferSize.emplace())) return true;
        options.error = std::string("invalid buffer size: ") + argument;
        return false;
    case kOverlap:
        if (ParseBytes(argument, options.overlap.emplace())) return true;
        options.error = std::string("invalid overlap: ") + argument;
        return false;
    default:
        return ApplyExpandOption(option, argument, options);
    }
}

// The expansion's settings that depend on more than one option. A name pattern the engine
// refuses is an error here (the expansion itself would let every name pass).
void FinishExpandOptions(CliOptions& options)
{
    ExpandOptions& expand = options.expand;
    if (options.exactName && !expand.pattern.empty()) expand.pattern = RewriteExactMatch(expand.pattern, true);
    if (options.zeroSizeDirs) SetZeroSizeDirs(expand.criteria);
    if (options.emptyDirs) SetEmptyDirs(expand.criteria);
    if (expand.pattern.empty()) return;
    const std::string problem =
        PatternProblem(expand.pattern, CRegexp::EngineFlags(expand.ignoreCase ? "i" : ""), nullptr);
    if (!problem.empty()) options.error = "invalid --name pattern: " + problem;
}

}  // namespace

CliOptions ParseOptions(int argc, char** argv)
{
    CliOptions options;
    options.job.ignoreCase = false;
    optind = 1;
    opterr = 0;
    int option = 0;
    while ((option = getopt_long(argc, argv, "r:imsxwayhd:", kOptions, nullptr)) != -1) {
        if (option == 'h') option = kHelp;
        if (!ApplyOption(option, optarg, options)) return options;
    }
    if (options.help || options.version) return options;
    FinishExpandOptions(options);
    if (!options.saveConfig.empty()) {
        if (optind < argc) options.error = "--save-config takes no PATTERN or PATH (see --help)";
        return options;
    }
    if (options.list) {
        options.paths.assign(argv + optind, argv + argc);
        if (options.paths.empty()) options.error = "--list needs at least one PATH (see --help)";
        return options;
    }
    if (argc - optind < 2) {
        options.error = "a PATTERN and at least one PATH are needed (see --help)";
        return options;
    }
    options.job.pattern = argv[optind++];
    if (options.job.wholeWord) options.job.pattern = WrapWholeWord(options.job.pattern, options.job.extended);
    options.paths.assign(argv + optind, argv + argc);
    return options;
}

std::string UsageText()
{
    return "Usage: qmend [OPTION]... PATTERN PATH...\n"
           "   or: qmend --list [OPTION]... PATH...\n"
           "   or: qmend --save-config=FILE [OPTION]...\n"
           "Search PATTERN in the content (and optionally the names) of each PATH, show every\n"
           "occurrence and ask what to do with it; with -r, replace the confirmed ones.\n"
           "\n"
           "  -r, --replace=TEXT     the replacement; without it the job is search-only\n"
           "  -i, --ignore-case      ignore the case of A..Z\n"
           "  -m, --multiline        ^ and $ also match at line starts and ends\n"
           "  -s, --dot-all          . also matches a line feed\n"
           "  -x, --extended         white space in the pattern is ignored, # starts a comment\n"
           "  -w, --whole-word       wrap the pattern in \\b ... \\b\n"
           "      --no-content       do not search file contents (searched by default)\n"
           "      --names            search file names\n"
           "      --dirs             search directory names\n"
           "  -a, --all              \"Process all !\": take every occurrence without asking\n"
           "  -y, --yes              answer Yes to the questions asked before the run\n"
           "      --report=FILE      also write the report file\n"
           "      --buffer-size=N    read buffer size in bytes (default: the configuration's)\n"
           "      --overlap=N        overlap in bytes (less than the buffer size)\n"
           "      --backup=ARCHIVE   make a backup archive (.zip or .7z) of the targets first\n"
           "      --empty-temp-dir   allow the backup to empty the temp dir\n"
           "      --config=FILE      load a parameter file after the configuration\n"
           "      --temp-dir=DIR     the temp dir for this run\n"
           "      --archive-dir=DIR  the archive dir for this run\n"
           "      --save-config=FILE write the values to a parameter file (no PATTERN or PATH)\n"
           "\n"
           "Before the run the listed directories are expanded into their content:\n"
           "  -d, --depth=N          -1 (the default): 99 levels; 0: no expanding (only filters\n"
           "                         the listed entries); 1..9: that many levels\n"
           "      --no-expand        skip the expansion step entirely\n"
           "      --no-files, --no-dirs   which kinds enter the list (both by default)\n"
           "      --name=REGEX       keep names (without path) the pattern matches\n"
           "      --name-case        match the name pattern with regard to case\n"
           "      --exact-name       the name pattern must match the whole name\n"
           "      --size=MIN..MAX    sizes in bytes; a number may end in k (1000) or m (1000000)\n"
           "      --created=FROM..TO, --modified=FROM..TO, --accessed=FROM..TO\n"
           "                         local times YYYY-MM-DD[THH:MM[:SS]]; an open end is no bound\n"
           "      --empty-dirs, --zero-size-dirs   only empty / zero-size directories\n"
           "      --list             print the target list (no PATTERN) and stop\n"
           "\n"
           "  -h, --help             show this help and exit\n"
           "      --version          show the version and exit\n"
           "\n"
           "Answers to an occurrence, one line each: y replace it / continue search,\n"
           "n Skip this word, f Skip this file, a Process all !, q Cancel! (skip all).\n"
           "The report goes to standard output; occurrences, questions and notices to\n"
           "standard error.\n"
           "\n"
           "Paths are taken byte for byte and made absolute against the starting directory;\n"
           "the report file and the archive may not be a target nor lie inside one.\n"
           "\n"
           "Exit status: 0 something was found, 1 nothing was found or a question was\n"
           "answered No, 2 bad usage, an error message or a PATH that could not be listed,\n"
           "3 a target could not be changed.\n";
}
