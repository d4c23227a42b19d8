/*
 * Escaping of control bytes for terminal output.
 */
#include "cli/TerminalText.h"

#include <cstdio>

std::string EscapeForTerminal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 32 && byte != '\t') || byte == 127) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string MessageForTerminal(std::string_view text)
{
    std::string out;
    for (const char c : text)
        if (c != '\r') out += c;
    return out;
}
