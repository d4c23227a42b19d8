/*
 * UnifiedDiff: lines cut from the scanned pieces, the hunks with their context, and the
 * "diff --git" headers and rename blocks with paths carried through the renames.
 */
#include "run/UnifiedDiff.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The lines of context around a change.
constexpr std::size_t kContext = 3;

// "a/" or "b/" and path, in double quotes with C escapes when it holds a control byte, a
// quote or a backslash, as git writes such names (patch reads them too).
std::string Quoted(const char* side, const std::string& path)
{
    const std::string text = side + path;
    const auto plain = [](unsigned char c) { return c >= 0x20 && c != 0x7f && c != '"' && c != '\\'; };
    if (std::all_of(text.begin(), text.end(), plain)) return text;
    std::string quoted = "\"";
    for (const unsigned char c : text) {
        static constexpr std::string_view kNamed = "\a\b\t\n\v\f\r\"\\";
        static constexpr std::string_view kLetters = "abtnvfr\"\\";
        const std::size_t named = kNamed.find(static_cast<char>(c));
        if (plain(c)) quoted += static_cast<char>(c);
        else if (named != std::string_view::npos) quoted.append(1, '\\').append(1, kLetters[named]);
        else quoted.append(1, '\\').append(1, char('0' + (c >> 6))).append(1, char('0' + ((c >> 3) & 7))).append(1, char('0' + (c & 7)));
    }
    return quoted + "\"";
}

}  // namespace

UnifiedDiff::UnifiedDiff(std::string base, Printer printer) : base_(std::move(base)), print_(std::move(printer)) {}

std::string UnifiedDiff::Renamed(const std::string& path) const
{
    fs::path old;
    fs::path now;
    for (const fs::path& part : fs::path(path)) {
        old /= part;
        const auto renamed = renames_.find(old.string());
        now /= renamed == renames_.end() ? part : fs::path(renamed->second);
    }
    return now;
}

std::string UnifiedDiff::Shown(const std::string& path) const
{
    const std::string relative = fs::path(path).lexically_relative(base_).string();
    return relative.empty() ? path : relative;
}

void UnifiedDiff::BeginFile(const std::string& path, bool binary)
{
    path_ = path;
    binary_ = binary;
    headed_ = differs_ = dirty_ = inHunk_ = false;
    old_.clear();
    new_.clear();
    oldLines_ = newLines_ = 0;
    before_.clear();
    after_.clear();
    hunk_.clear();
    removed_.clear();
    added_.clear();
}

void UnifiedDiff::Same(std::string_view bytes)
{
    if (binary_) return;
    while (!bytes.empty()) {
        const std::size_t feed = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, feed == std::string_view::npos ? bytes.size() : feed + 1);
        old_ += piece;
        new_ += piece;
        bytes.remove_prefix(piece.size());
        if (feed == std::string_view::npos) return;
        if (dirty_) Change(old_, new_);
        else Context(old_);
        old_.clear();
        new_.clear();
        dirty_ = false;
    }
}

void UnifiedDiff::Replace(std::string_view old, std::string_view replacement)
{
    if (old == replacement) return Same(old);
    differs_ = true;
    if (binary_) return;
    old_ += old;
    new_ += replacement;
    dirty_ = true;
}

void UnifiedDiff::EndFile(bool complete)
{
    if (!complete || !differs_) return;
    changed_ = true;
    if (binary_) {
        print_(Line::Note, "Binary files " + Quoted("a/", Shown(path_)) + " and " + Quoted("b/", Shown(Renamed(path_))) +
                               " differ");
        return;
    }
    if (!old_.empty() || !new_.empty()) {
        if (dirty_) Change(old_, new_);
        else Context(old_);
    }
    if (inHunk_) CloseHunk(std::min(after_.size(), kContext));
}

void UnifiedDiff::Rename(const std::string& oldPath, const std::string& newPath, bool directory)
{
    renames_[oldPath] = fs::path(newPath).filename().string();
    changed_ = true;
    if (directory) {
        renamedDirectories_.push_back(oldPath);
    } else if (shown_.insert(oldPath).second) {
        pending_.push_back(oldPath);
    }
}

void UnifiedDiff::Finish()
{
    FlushRenames();
    for (const std::string& directory : renamedDirectories_) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
            const std::string path = it->path();
            if (!it->is_directory(error) || it->is_symlink(error))
                if (shown_.insert(path).second) PrintRename(path);
        }
    }
}

void UnifiedDiff::FlushRenames()
{
    for (const std::string& path : pending_) PrintRename(path);
    pending_.clear();
}

void UnifiedDiff::PrintRename(const std::string& path)
{
    const std::string from = Shown(path);
    const std::string to = Shown(Renamed(path));
    if (from == to) return;
    print_(Line::Header, "diff --git " + Quoted("a/", from) + " " + Quoted("b/", to));
    print_(Line::Header, "rename from " + Quoted("", from));
    print_(Line::Header, "rename to " + Quoted("", to));
}

void UnifiedDiff::Header()
{
    if (headed_) return;
    headed_ = true;
    std::erase(pending_, path_);
    FlushRenames();
    shown_.insert(path_);
    const std::string from = Shown(path_);
    const std::string to = Shown(Renamed(path_));
    print_(Line::Header, "diff --git " + Quoted("a/", from) + " " + Quoted("b/", to));
    if (from != to) {
        print_(Line::Header, "rename from " + Quoted("", from));
        print_(Line::Header, "rename to " + Quoted("", to));
    }
    print_(Line::Header, "--- " + Quoted("a/", from));
    print_(Line::Header, "+++ " + Quoted("b/", to));
}

void UnifiedDiff::Context(std::string line)
{
    ++oldLines_;
    ++newLines_;
    std::vector<std::string>& held = inHunk_ ? after_ : before_;
    held.push_back(std::move(line));
    if (!inHunk_ && before_.size() > kContext) before_.erase(before_.begin());
    // More than twice the context since the last change: the next change gets a hunk of its own.
    if (inHunk_ && after_.size() > 2 * kContext) CloseHunk(kContext);
}

void UnifiedDiff::Change(std::string_view old, std::string_view replacement)
{
    if (!inHunk_) {
        Header();
        inHunk_ = true;
        hunkOld_ = oldLines_ - before_.size() + 1;
        hunkNew_ = newLines_ - before_.size() + 1;
        hunkOldCount_ = hunkNewCount_ = 0;
        after_ = std::move(before_);
        before_.clear();
    }
    if (!after_.empty()) FlushChange();
    for (const std::string& line : after_) {
        AddLines(Line::Context, line, hunk_, hunkOldCount_);
        ++hunkNewCount_;
    }
    after_.clear();
    std::uint64_t removed = 0;
    std::uint64_t added = 0;
    AddLines(Line::Removed, old, removed_, removed);
    AddLines(Line::Added, replacement, added_, added);
    hunkOldCount_ += removed;
    hunkNewCount_ += added;
    oldLines_ += removed;
    newLines_ += added;
}

void UnifiedDiff::FlushChange()
{
    hunk_ += removed_;
    hunk_ += added_;
    removed_.clear();
    added_.clear();
}

void UnifiedDiff::AddLines(Line kind, std::string_view text, std::string& lines, std::uint64_t& count)
{
    const char mark = kind == Line::Removed ? '-' : kind == Line::Added ? '+' : ' ';
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        lines += mark;
        lines += text.substr(0, feed);
        lines += '\n';
        ++count;
        if (feed == std::string_view::npos) {
            lines += "\\ No newline at end of file\n";
            return;
        }
        text.remove_prefix(feed + 1);
    }
}

void UnifiedDiff::CloseHunk(std::size_t trailing)
{
    FlushChange();
    for (std::size_t i = 0; i < trailing; ++i) {
        AddLines(Line::Context, after_[i], hunk_, hunkOldCount_);
        ++hunkNewCount_;
    }
    // An empty side is numbered by the line before it, as diff does.
    const auto range = [](std::uint64_t start, std::uint64_t count) {
        return std::to_string(count == 0 ? start - 1 : start) + "," + std::to_string(count);
    };
    print_(Line::Hunk, "@@ -" + range(hunkOld_, hunkOldCount_) + " +" + range(hunkNew_, hunkNewCount_) + " @@");
    for (std::string_view rest = hunk_; !rest.empty();) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        const char mark = line[0];
        print_(mark == '-' ? Line::Removed : mark == '+' ? Line::Added : mark == ' ' ? Line::Context : Line::Note, line);
        rest.remove_prefix(line.size() + 1);
    }
    hunk_.clear();
    inHunk_ = false;
    const std::size_t keep = std::min(after_.size() - trailing, kContext);
    before_.assign(after_.end() - static_cast<std::ptrdiff_t>(keep), after_.end());
    after_.clear();
}
