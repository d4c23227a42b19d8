/*
 * The report file's blocks and closing section, and the distinct found texts.
 */
#include "run/ReportFile.h"

#include <cerrno>

#include <unistd.h>

namespace {

// The rule that ends every block and opens the closing section.
constexpr std::string_view kRule = "\r\n------------------------------------\r\n";

std::string FoldAtoZ(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

}  // namespace

void DistinctResults::Add(std::string_view text)
{
    if (folded_.insert(FoldAtoZ(text)).second) texts_.emplace_back(text);
}

void DistinctResults::Clear()
{
    texts_.clear();
    folded_.clear();
}

bool OpenReportFile(FileHandle& file, const std::string& path)
{
    if (file.IsOpen()) return true;
    if (path.empty()) return false;
    return file.Open(false, true, path.c_str());
}

bool WriteReportText(FileHandle& file, std::string_view text)
{
    if (!file.IsOpen()) return false;
    while (!text.empty()) {
        const ssize_t written = write(file.descriptor, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void WriteReportBlockEnd(FileHandle& file, const std::string& path, const char* foundWord, int count)
{
    WriteReportText(file, path + "\r\n" + foundWord + std::to_string(count));
    WriteReportText(file, kRule);
}

void WriteReportClosing(FileHandle& file, const DistinctResults& results)
{
    WriteReportText(file, kRule);
    WriteReportText(file, "All found results:\r\n");
    for (const std::string& text : results.Texts()) WriteReportText(file, text + "\r\n");
    file.Close();
}
