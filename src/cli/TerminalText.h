/*
 * Text for the terminal: control bytes in paths and found texts are written as \xHH so
 * that a file name or a file's content can never move the cursor or ring the bell; a
 * message's CR LF line ends become plain line feeds.
 */
#pragma once

#include <string>
#include <string_view>

// text with every byte below 32 (other than tab) and 127 written as \xHH.
std::string EscapeForTerminal(std::string_view text);
// text without its carriage returns.
std::string MessageForTerminal(std::string_view text);
