/*
 * Text for the terminal: control bytes in paths and found texts are written as \xHH so
 * that a file name or a file's content can never move the cursor or ring the bell. A
 * message keeps its line breaks (its CR LF line ends become plain line feeds) and has every
 * other control byte escaped, since it may quote a path.
 */
#pragma once

#include <string>
#include <string_view>

// text with every byte below 32 (other than tab) and 127 written as \xHH.
std::string EscapeForTerminal(std::string_view text);
// text with CR LF as LF and every other control byte but tab and LF written as \xHH.
std::string MessageForTerminal(std::string_view text);
