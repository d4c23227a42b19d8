/*
 * CFileFinder: the directory walk behind "Expand!" and behind the wipe's listing of a
 * directory. It is a CRegexp whose compiled pattern is the name filter, plus the kinds
 * wanted, the depth, the advanced criteria and the drop operation that turns dropped names
 * into absolute paths.
 *
 * The walk is post-order (a directory after its content) in the order the file system
 * lists the entries. It joins paths instead of changing the process's current directory, so
 * the current directory is the same before and after every walk. It never descends through
 * a symbolic link: a link to a directory is tested as a leaf (like a directory at the depth
 * limit), whatever level it is met at. Cancelling (clearing `running`) stops every open
 * listing at its next entry; the remaining start paths are still visited.
 *
 * File times are 100-nanosecond ticks since 1601-01-01 UTC, both for the items and for the
 * bounds, so an item and a bound are always compared in the same time base.
 */
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "base/CDynString.h"
#include "base/CWexList.h"
#include "regex/CRegexp.h"
#include "targets/PathIndex.h"

class Desktop;

// What a walk step found: the items that passed the kind filter and the name pattern and,
// with advanced criteria on, whose attributes could be read, whether or not they met them.
struct WalkTally {
    // Files counted.
    std::uint32_t files = 0;
    // Directories counted.
    std::uint32_t dirs = 0;
    // Sum of the files' sizes (with advanced criteria on; 0 otherwise).
    std::uint64_t bytes = 0;

    WalkTally& operator+=(const WalkTally& other);
};

// The attributes the criteria test, times in ticks since 1601-01-01 UTC.
struct FileAttributes {
    // The file's mode bits (never used as a bound).
    std::uint32_t attributes = 0;
    // Birth time where the file system keeps one, else the status-change time.
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
    // Size in bytes (0 for a directory).
    std::uint64_t size = 0;
};

// The advanced criteria of an expansion; every bound is inclusive.
struct FinderCriteria {
    // Master switch: when off, no criterion is tested.
    bool criteriaOn = false;
    // Which of the four ranges are tested.
    bool sizeOn = false;
    bool accessTimeOn = false;
    bool writeTimeOn = false;
    bool createTimeOn = false;
    // Lower and upper bounds of size and times.
    FileAttributes minData;
    FileAttributes maxData;
    // Whether the content bounds are tested.
    bool contentOn = false;
    // Bounds on a directory's content tally (a file's content tally is zero).
    std::int32_t minFiles = 0;
    std::int32_t minDirs = 0;
    std::uint64_t minBytes = 0;
    std::int32_t maxFiles = 0;
    std::int32_t maxDirs = 0;
    std::uint64_t maxBytes = 0;
};

// Receives each path an expansion examines.
class FinderObserver {
public:
    virtual ~FinderObserver() = default;
    // added: 0 when the path was not taken, else the new number of results; kind: the
    // path's GetPathKind as the walk found it.
    virtual void OnFinderNotify(std::int32_t added, const char* path, int kind) = 0;
};

// Dropped names with the point where they were dropped.
struct FileDrop {
    // The names, in the order they were dropped.
    std::vector<std::string> names;
    // The drop point.
    int x = 0;
    int y = 0;
};

// A calendar time (seconds since 1970 UTC) as ticks since 1601-01-01 UTC.
std::uint64_t FileTimeFromCalendar(std::time_t seconds);
// Reads the attributes of path (following a link); false when it cannot be read.
bool ReadFileAttributes(const char* path, FileAttributes& attributes);

class CFileFinder : public CRegexp {
public:
    // Which kinds may enter the result.
    bool wantFiles = true;
    bool wantDirs = true;
    // The level at which the walk stops descending (99 for a negative depth).
    std::int32_t maxDepth = 99;
    // True while a walk runs; clearing it cancels the walk.
    bool running = false;
    // Where each examined path is reported, or none.
    FinderObserver* notifyWindow = nullptr;
    // Lets pending window messages run after every considered path, or none.
    Desktop* desktop = nullptr;
    // The list the current walk fills.
    CWexList<CDynString>* results = nullptr;
    // Receives the kind of every path appended to results, in the same order, or none: the
    // walk has just read it, so whoever takes the results need not ask again.
    std::vector<int>* resultKinds = nullptr;
    // The advanced criteria.
    FinderCriteria criteria;
    // The attributes of the item being tested.
    FileAttributes itemData;
    // The current directory when the finder was built.
    CDynString startDirectory;

    CFileFinder();

    // Walks every path of input (in order) into output and returns the summed tally.
    // depth < 0 walks 99 levels; an empty or invalid pattern lets every name pass.
    WalkTally Expand(const CWexList<CDynString>& input, CWexList<CDynString>& output,
                     std::int32_t depth, bool wantDirectories, bool wantFileItems,
                     CDynString pattern, bool ignoreCase, bool clearOutput);
    // One walk step: path at the given level, its content first.
    WalkTally Walk(const std::string& path, std::int32_t level);
    // Tests path (of the given GetPathKind, with its content tally) and adds it to the
    // results when it passes; returns the content tally with path counted in when it passed
    // kind and pattern.
    WalkTally Consider(const std::string& path, int kind, WalkTally content);
    // Whether the item (attributes in itemData) meets the advanced criteria.
    bool MatchesCriteria(int kind, const WalkTally& content) const;

    // Adds the dropped names to list (emptied first when clearFirst): unknown paths are
    // skipped (into `skipped` when given), the rest made absolute by MakeAbsolute (bytes and
    // directory part kept, "." and ".." resolved by the file system) and appended unless
    // already there. Nothing is taken from a drop
    // outside x0..x1, y0..y1. Returns the number of dropped names, 0 when nothing was taken.
    static int AddDroppedFiles(const FileDrop* drop, bool clearFirst, CWexList<CDynString>& list,
                               int x0, int y0, int x1, int y1,
                               std::vector<std::string>* skipped = nullptr);

    // The folder chooser, starting at initialPath or else at startDirectory.
    CDynString ChooseFolder(Desktop& chooser, const char* initialPath, const char* title,
                            int width, int height) const;

private:
    // Walk for a path whose GetPathKind is known; mayBeLink is false when the directory
    // listing has said the path is no symbolic link.
    WalkTally WalkKind(const std::string& path, std::int32_t level, int kind, bool mayBeLink);
    // Appends a taken path (of the given kind) to the results and reports it.
    void TakeResult(const std::string& path, int kind);
    // Reports path (of the given kind) and lets pending messages run.
    void Report(std::int32_t added, const char* path, int kind);

    // The results' texts, for the duplicate test.
    PathIndex resultIndex_;
};
