/*
 * JobSettings: what the user asked a run to do, as the work and configuration pages hold it.
 * The run reads these values and never writes them. Also here: the rule every buffer size
 * and overlap must pass before a run may start, and the flag string the job's pattern is
 * compiled with.
 */
#pragma once

#include <cstdint>
#include <string>

// The largest read buffer a run accepts.
inline constexpr std::uint64_t kMaxBufferSize = std::uint64_t{1} << 30;

struct JobSettings {
    // The pattern ("RegExp:").
    std::string pattern = "qmend";
    // The replacement ("Replace to:").
    std::string replacement = "$0 is the best!";
    // "search only!": find and report, never change anything.
    bool searchOnly = true;
    // "in file content".
    bool inContent = true;
    // "in file names".
    bool inFileNames = false;
    // "in dir names".
    bool inDirNames = false;
    // The four pattern options.
    bool ignoreCase = true;
    bool multiline = false;
    bool dotAll = false;
    bool extended = false;
    // "whole word in content": the pattern field itself carries the \b ... \b, so the run
    // never reads this.
    bool wholeWord = false;
    // "read buffer size in bytes:".
    std::uint32_t bufferSize = 65536;
    // "overlap in bytes:".
    std::uint32_t overlap = 512;
    // "temp dir:" (where the backup mirrors the targets).
    std::string tempDir;
    // "archive dir:" (where the archive dialog opens).
    std::string archiveDir;
    // "Reportfile".
    std::string reportFilePath;
    // "report to file".
    bool reportToFile = false;
    // "gather results in report" (hidden; read by nothing).
    bool gatherResults = false;
};

// Whether a buffer size and overlap may be used: 0 < overlap < bufferSize <= 1 GiB.
bool BufferSettingsValid(std::uint64_t bufferSize, std::uint64_t overlap);

// The flag string of the run's pattern: "n", then "i", "m", "s", "x" for the ticked options.
std::string RunFlagString(const JobSettings& job);
