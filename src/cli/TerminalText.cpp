/*
 * Escaping of control bytes for terminal output.
 */
#include "cli/TerminalText.h"

#include <cstdio>

namespace {

// Appends c, or \xHH for a control byte other than tab (and line feed when keepLineFeed).
void AppendShown(std::string& out, char c, bool keepLineFeed)
{
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 32 && byte != '\t' && !(keepLineFeed && byte == '\n')) || byte == 127) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        out += escaped;
    } else {
        out += c;
    }
}

}  // namespace

std::string EscapeForTerminal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        AppendShown(out, c, false);
    return out;
}

std::string MessageForTerminal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        AppendShown(out, text[i], true);
    }
    return out;
}
