/*
 * JobSettings: what the user asked a run to do, as the work and configuration pages hold it.
 * The run reads these values and never writes them. Also here: the rule every buffer size
 * and overlap must pass before a run may start, the flag string the job's pattern is
 * compiled with, the pattern test of "Test regexp!" and the start checks, and the
 * whole-word wrapping of the pattern text.
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

// The groups of the job's pattern compiled without flags, group 0 included; -1 when the
// pattern does not compile, has no group, or (for a replacing job) the replacement is not a
// valid substitution for it.
int UsableGroupCount(const JobSettings& job);

// What "Test regexp!" tells about the job's pattern.
std::string TestRegexpMessage(const JobSettings& job);

// Whether pattern begins and ends with a word boundary "\b" (the b in either case).
bool IsWholeWordWrapped(const std::string& pattern);
// The pattern between word boundaries as one group, "\b(?:" + pattern + ")\b", so that an
// alternation binds inside the boundaries. In extended mode the closing part starts on a
// line of its own, so that a trailing "#" comment cannot swallow it.
std::string WrapWholeWord(const std::string& pattern, bool extended);
// The inverse of WrapWholeWord for either mode; a pattern that is merely "\b" ... "\b" loses
// the two boundaries; any other pattern is returned as it is.
std::string UnwrapWholeWord(const std::string& pattern, bool extended);
