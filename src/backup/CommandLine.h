// Command lines as one string, the way the archiver's command line is built and handed over.
// A command line is split into words by the Windows quoting rules: blanks and tabs separate
// words outside double quotes; 2n backslashes before a double quote give n backslashes and the
// quote opens or closes a quoted part; 2n+1 backslashes before a double quote give n
// backslashes and a literal quote; two double quotes inside a quoted part give one literal
// quote; any other backslash is literal. The first word follows the same rules as the others,
// so every word that QuoteArgument made comes back unchanged, whatever bytes it holds.
#pragma once

#include <string>
#include <vector>

// Encloses a word in double quotes, escaping quotes and the backslashes before them, so that
// SplitCommandLine gives back exactly the word.
std::string QuoteArgument(const std::string& word);

// The word as it is when it needs no quotes (not empty, no blank, tab, quote or backslash),
// else QuoteArgument of it.
std::string QuoteArgumentIfNeeded(const std::string& word);

// Splits a command line into its words.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
