/*
 * The checks and derived values of JobSettings: buffer sizes, the run's flag string, the
 * pattern test and the whole-word wrapping.
 */
#include "run/JobSettings.h"

#include <string_view>

#include "regex/CRegexp.h"
#include "run/RunTexts.h"

bool BufferSettingsValid(std::uint64_t bufferSize, std::uint64_t overlap)
{
    return overlap > 0 && overlap < bufferSize && bufferSize <= kMaxBufferSize;
}

std::string RunFlagString(const JobSettings& job)
{
    std::string flags = "n";
    if (job.ignoreCase) flags += 'i';
    if (job.multiline) flags += 'm';
    if (job.dotAll) flags += 's';
    if (job.extended) flags += 'x';
    return flags;
}

int UsableGroupCount(const JobSettings& job)
{
    CRegexp probe;
    if (!probe.Compile(job.pattern.c_str(), "") || probe.GetGroupCount() < 1) return -1;
    if (job.searchOnly) return probe.GetGroupCount();
    try {
        return probe.SetSubstitution(job.replacement.c_str()) ? probe.GetGroupCount() : -1;
    } catch (const regex::bad_regexpr&) {
        return -1;
    }
}

std::string TestRegexpMessage(const JobSettings& job)
{
    if (job.pattern.empty()) return "Regexp is empty!";
    const int groups = UsableGroupCount(job);
    if (groups < 1) return runtext::kRegexpError;
    return "Regexp seems to be OK, number of groups: " + std::to_string(groups - 1);
}

namespace {

constexpr std::string_view kBoundary = "\\b";
constexpr std::string_view kGroupOpen = "(?:";

// Whether text at index i holds "\b" or "\B".
bool BoundaryAt(const std::string& text, std::size_t i)
{
    return text[i] == '\\' && (text[i + 1] == 'b' || text[i + 1] == 'B');
}

// The index just past the ")" that closes the group opening at text[0], or npos. Escapes,
// "\Q...\E" quotes, character classes and (in extended mode) "#" comments hold no
// parentheses that count.
std::size_t GroupEnd(const std::string& text, bool extended)
{
    int depth = 0;
    bool inClass = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && !inClass && text.compare(i, 2, "\\Q") == 0) {
            i = text.find("\\E", i + 2);
            if (i == std::string::npos) return i;
            ++i;
        } else if (c == '\\') {
            ++i;
        } else if (inClass) {
            inClass = c != ']';
        } else if (c == '[') {
            inClass = true;
            if (text.compare(i + 1, 1, "^") == 0) ++i;
            if (text.compare(i + 1, 1, "]") == 0) ++i;
        } else if (extended && c == '#') {
            i = text.find('\n', i);
            if (i == std::string::npos) return i;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i + 1;
        }
    }
    return std::string::npos;
}

}  // namespace

bool IsWholeWordWrapped(const std::string& pattern)
{
    return pattern.size() >= 2 * kBoundary.size() && BoundaryAt(pattern, 0) &&
           BoundaryAt(pattern, pattern.size() - kBoundary.size());
}

std::string WrapWholeWord(const std::string& pattern, bool extended)
{
    return std::string(kBoundary) + std::string(kGroupOpen) + pattern + (extended ? "\n" : "") + ")" +
           std::string(kBoundary);
}

std::string UnwrapWholeWord(const std::string& pattern, bool extended)
{
    if (!IsWholeWordWrapped(pattern)) return pattern;
    const std::string inner = pattern.substr(kBoundary.size(), pattern.size() - 2 * kBoundary.size());
    if (!inner.starts_with(kGroupOpen) || GroupEnd(inner, extended) != inner.size()) return inner;
    std::string body = inner.substr(kGroupOpen.size(), inner.size() - kGroupOpen.size() - 1);
    if (extended && body.ends_with('\n')) body.pop_back();
    return body;
}
