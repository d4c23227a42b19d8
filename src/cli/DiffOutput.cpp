/*
 * DiffOutput: escaping and colouring of the diff's lines.
 */
#include "cli/DiffOutput.h"

#include <string>

#include <unistd.h>

#include "cli/TerminalText.h"

namespace {

// The SGR sequence that starts a line of kind; empty for none.
const char* ColorOf(UnifiedDiff::Line kind)
{
    switch (kind) {
    case UnifiedDiff::Line::Header: return "\x1b[1m";
    case UnifiedDiff::Line::Hunk: return "\x1b[36m";
    case UnifiedDiff::Line::Removed: return "\x1b[31m";
    case UnifiedDiff::Line::Added: return "\x1b[32m";
    default: return "";
    }
}

}  // namespace

bool UseColor(ColorWhen when, std::FILE* stream)
{
    return when == ColorWhen::Always || (when == ColorWhen::Auto && isatty(fileno(stream)) == 1);
}

UnifiedDiff::Printer DiffPrinter(std::FILE* out, bool color)
{
    const bool terminal = isatty(fileno(out)) == 1;
    return [out, color, terminal](UnifiedDiff::Line kind, std::string_view text) {
        const std::string shown = terminal ? EscapeForTerminal(text) : std::string(text);
        const char* start = color ? ColorOf(kind) : "";
        const char* end = *start != '\0' ? "\x1b[m" : "";
        std::fprintf(out, "%s", start);
        std::fwrite(shown.data(), 1, shown.size(), out);
        std::fprintf(out, "%s\n", end);
    };
}
