/*
 * qmend's options with getopt_long. Buffer size and overlap are checked here as everywhere
 * they are set: 0 < overlap < buffer size <= 1 GiB.
 */
#include "cli/Options.h"

#include <cerrno>
#include <cstdlib>

#include <getopt.h>

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

// Applies one option; false (with options.error set) when it is unusable.
bool ApplyOption(int option, const char* argument, CliOptions& options, std::uint64_t& buffer, std::uint64_t& overlap)
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
        if (ParseBytes(argument, buffer)) return true;
        options.error = std::string("invalid buffer size: ") + argument;
        return false;
    case kOverlap:
        if (ParseBytes(argument, overlap)) return true;
        options.error = std::string("invalid overlap: ") + argument;
        return false;
    default:
        options.error = "unknown option (see --help)";
        return false;
    }
}

}  // namespace

CliOptions ParseOptions(int argc, char** argv)
{
    CliOptions options;
    options.job.ignoreCase = false;
    std::uint64_t buffer = options.job.bufferSize;
    std::uint64_t overlap = options.job.overlap;
    optind = 1;
    opterr = 0;
    int option = 0;
    while ((option = getopt_long(argc, argv, "r:imsxwayh", kOptions, nullptr)) != -1) {
        if (option == 'h') option = kHelp;
        if (!ApplyOption(option, optarg, options, buffer, overlap)) return options;
    }
    if (options.help || options.version) return options;
    if (!BufferSettingsValid(buffer, overlap)) {
        options.error = "buffer size and overlap must satisfy 0 < overlap < buffer size <= 1073741824";
        return options;
    }
    options.job.bufferSize = static_cast<std::uint32_t>(buffer);
    options.job.overlap = static_cast<std::uint32_t>(overlap);
    if (argc - optind < 2) {
        options.error = "a PATTERN and at least one PATH are needed (see --help)";
        return options;
    }
    options.job.pattern = argv[optind++];
    if (options.job.wholeWord) options.job.pattern = "\\b" + options.job.pattern + "\\b";
    options.paths.assign(argv + optind, argv + argc);
    return options;
}

std::string UsageText()
{
    return "Usage: qmend [OPTION]... PATTERN PATH...\n"
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
           "      --buffer-size=N    read buffer size in bytes (default 65536)\n"
           "      --overlap=N        overlap in bytes (default 512; less than the buffer size)\n"
           "  -h, --help             show this help and exit\n"
           "      --version          show the version and exit\n"
           "\n"
           "Answers to an occurrence, one line each: y replace it / continue search,\n"
           "n Skip this word, f Skip this file, a Process all !, q Cancel! (skip all).\n"
           "The report goes to standard output; occurrences, questions and notices to\n"
           "standard error.\n"
           "\n"
           "Exit status: 0 something was found, 1 nothing was found or a question was\n"
           "answered No, 2 bad usage or an error message, 3 a target could not be changed.\n";
}
