/*
 * UnifiedDiff: what a run would change, as a unified diff that `patch -p1` and `git apply`
 * read. The run hands it each file's bytes as it scans them - pieces that stay and
 * occurrences with their replacements - and the renames it would make; nothing is written
 * to the disk. A file's lines are cut at line feeds (a CR stays part of its line), every
 * change is shown with 3 lines of context, and hunks closer than that are joined. Only the
 * current hunk and the last 3 lines are held, so memory does not grow with the file - only
 * with one hunk, whose line counts its header needs before its lines (a file changed on
 * every line is one hunk).
 *
 * Paths are shown relative to the starting directory, as the run would leave them: a
 * renamed directory carries every path below it, and at the end each file below it that
 * was not shown yet gets its own "rename from" / "rename to" block (a patch renames files,
 * not directories). A rename with no content change is held back until the next file's
 * header or the end, so a "Binary files a/PATH and b/PATH differ" line (a file with a NUL
 * byte in its first 8 KiB, whose bytes a patch cannot carry) never follows a header of its
 * own, where git would take it for a binary patch.
 */
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class UnifiedDiff {
public:
    // What a printed line is, so the printer can colour it.
    enum class Line { Header, Hunk, Context, Removed, Added, Note };
    // Receives each line without its line feed.
    using Printer = std::function<void(Line kind, std::string_view text)>;

    // Paths are shown relative to `base`.
    UnifiedDiff(std::string base, Printer printer);

    // Starts a file at path (as listed before any rename); binary: a NUL in its first 8 KiB.
    void BeginFile(const std::string& path, bool binary);
    // Bytes that stay as they are.
    void Same(std::string_view bytes);
    // An occurrence and what replaces it.
    void Replace(std::string_view old, std::string_view replacement);
    // Ends the file; complete: it was read to its end (otherwise it shows no change).
    void EndFile(bool complete);
    // The run would rename oldPath to newPath (paths as listed before any rename).
    void Rename(const std::string& oldPath, const std::string& newPath, bool directory);
    // Prints what is held back and the renames of the files below renamed directories.
    void Finish();
    // Whether anything would change.
    bool Changed() const { return changed_; }

private:
    // A path as the run would leave it: every renamed component carried.
    std::string Renamed(const std::string& path) const;
    // path relative to the base.
    std::string Shown(const std::string& path) const;
    // Prints the "diff --git" header of path (and its rename, if any) once.
    void Header();
    // Prints the renames held back.
    void FlushRenames();
    // Prints a rename block for the file at path.
    void PrintRename(const std::string& path);
    // One old line that stays, complete or (at the end) not.
    void Context(std::string line);
    // Old lines replaced by new ones.
    void Change(std::string_view old, std::string_view replacement);
    // Adds the lines of text as kind to `lines`, counting them in `count`.
    static void AddLines(Line kind, std::string_view text, std::string& lines, std::uint64_t& count);
    // Moves the removed and then the added lines of the last changes into the hunk.
    void FlushChange();
    // Prints the current hunk, with `trailing` lines of its held context.
    void CloseHunk(std::size_t trailing);

    std::string base_;
    Printer print_;
    // Renamed paths (as listed before any rename) and their new last component.
    std::map<std::string, std::string> renames_;
    // Renamed directories, in the order renamed.
    std::vector<std::string> renamedDirectories_;
    // Files whose rename was printed, or is held in pending_.
    std::set<std::string> shown_;
    // Renamed files with no content change printed yet, in order.
    std::vector<std::string> pending_;
    bool changed_ = false;

    // The current file and whether it is binary.
    std::string path_;
    bool binary_ = false;
    // Its header was printed; it differs.
    bool headed_ = false;
    bool differs_ = false;
    // The old and new bytes of the line(s) being built, and whether they hold a change.
    std::string old_;
    std::string new_;
    bool dirty_ = false;
    // Old and new lines passed so far.
    std::uint64_t oldLines_ = 0;
    std::uint64_t newLines_ = 0;
    // The last up to 3 context lines before a hunk.
    std::vector<std::string> before_;
    // The open hunk: its first lines, its lines, their counts, and the context after its
    // last change (up to 6 are held, since a change within them joins the hunk).
    bool inHunk_ = false;
    std::uint64_t hunkOld_ = 0;
    std::uint64_t hunkNew_ = 0;
    // (Its lines, each ended by a line feed; the first byte tells the kind: ' ', '-', '+', '\\'.)
    std::string hunk_;
    // Lines of adjacent changes not yet in the hunk, so all removed ones come first.
    std::string removed_;
    std::string added_;
    std::uint64_t hunkOldCount_ = 0;
    std::uint64_t hunkNewCount_ = 0;
    std::vector<std::string> after_;
};
