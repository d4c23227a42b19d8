// Quoting and splitting of command lines by the Windows rules (see CommandLine.h). The split
// is a single pass that counts a run of backslashes and decides what it means only when the
// character after the run is known.
#include "backup/CommandLine.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string QuoteArgument(const std::string& word) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes only need doubling where a quote follows them.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  // The closing quote follows, so trailing backslashes are doubled too.
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

std::string QuoteArgumentIfNeeded(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\"\\") == std::string::npos) return word;
  return QuoteArgument(word);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;    // a word has started (possibly an empty quoted one)
  bool quoted = false;    // inside a double-quoted part
  size_t backslashes = 0; // backslashes seen and not yet written
  for (size_t i = 0; i < commandLine.size(); ++i) {
    char c = commandLine[i];
    if (c == '\\') {
      ++backslashes;
      inWord = true;
      continue;
    }
    if (c == '"') {
      word.append(backslashes / 2, '\\');
      bool escaped = backslashes % 2 == 1;
      backslashes = 0;
      inWord = true;
      if (escaped) {
        word += '"';
      } else if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
        word += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    word.append(backslashes, '\\');
    backslashes = 0;
    if (IsBlank(c) && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    word += c;
    inWord = true;
  }
  word.append(backslashes, '\\');
  if (inWord) words.push_back(word);
  return words;
}
