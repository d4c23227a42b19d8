/*
 * The report file of a run and the distinct texts a run found. The file is 8-bit text with
 * CR LF line ends, created afresh by every run that writes it: a block per target with
 * findings (the found texts, the path, the count line and a rule), then a closing section
 * with every distinct found text. Write failures are ignored, as the report is only a record.
 */
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/FileHandle.h"

// The distinct texts found in a run, compared folding A..Z; first spelling and order kept.
class DistinctResults {
public:
    // Adds text unless an equal one (ignoring the case of A..Z) is already there.
    void Add(std::string_view text);
    const std::vector<std::string>& Texts() const { return texts_; }
    void Clear();

private:
    // The texts in the order first found, in their first spelling.
    std::vector<std::string> texts_;
    // The folded form of every text in texts_, for the duplicate test.
    std::unordered_set<std::string> folded_;
};

// Opens (creating or truncating) the report file at path; false leaves it closed.
bool OpenReportFile(FileHandle& file, const std::string& path);
// Writes bytes at the file's position; false when it is not open or the write fails.
bool WriteReportText(FileHandle& file, std::string_view text);
// Writes the end of a target's block: the path, the count line and the rule.
void WriteReportBlockEnd(FileHandle& file, const std::string& path, const char* foundWord, int count);
// Writes the closing section with every distinct text and closes the file.
void WriteReportClosing(FileHandle& file, const DistinctResults& results);
