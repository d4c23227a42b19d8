/*
 * The line format of qmend-regex: one case per input line,
 * COMMAND<TAB>FLAGS<TAB>PATTERN<TAB>SUBJECT[<TAB>REPLACEMENT], with the texts escaped
 * ("\\" backslash, "\t", "\n", "\r", "\xHH" any byte, everything else itself), and one
 * result line per case. RunCase answers one line; the escaping is shared with the output.
 */
#pragma once

#include <string>
#include <string_view>

namespace regex_cases {

// Decodes an escaped field; a backslash that starts no escape stands for itself.
std::string Unescape(std::string_view text);
// Encodes bytes so that they fit in one field: backslash, tab, line feed, carriage return
// and the other bytes below 32, 127 and above as escapes.
std::string Escape(std::string_view bytes);
// A flag field: "-" is the empty flag string.
std::string FlagsOf(std::string_view field);
// Runs one input line (without its line feed) and returns its result line (without one).
std::string RunCase(std::string_view line);

}  // namespace regex_cases
