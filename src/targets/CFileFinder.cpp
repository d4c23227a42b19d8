/*
 * CFileFinder: the expansion walk, the test of one item against kind, name pattern and
 * criteria, and the attributes the criteria look at. Directories are opened with
 * O_NOFOLLOW, so a link swapped in for a directory between the test and the listing is
 * not followed either.
 */
#include "targets/CFileFinder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "base/Desktop.h"
#include "base/Paths.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDifference = 11644473600ULL;
// File-time ticks per second.
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;
// How deep a negative depth walks.
constexpr std::int32_t kDeepest = 99;

std::uint64_t TicksFrom(std::int64_t seconds, std::uint32_t nanoseconds)
{
    std::int64_t since1601 = seconds + static_cast<std::int64_t>(kEpochDifference);
    if (since1601 < 0)
        return 0;
    return static_cast<std::uint64_t>(since1601) * kTicksPerSecond + nanoseconds / 100;
}

bool IsSymbolicLink(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string JoinPath(const std::string& directory, const char* name)
{
    std::string joined = directory;
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Opens a directory for listing without following a link in its last component.
DIR* OpenListing(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd == -1)
        return nullptr;
    DIR* listing = fdopendir(fd);
    if (listing == nullptr)
        close(fd);
    return listing;
}

// The GetPathKind of a file with these mode bits.
int KindOfMode(std::uint32_t mode)
{
    if (S_ISREG(mode))
        return kPathFile;
    return S_ISDIR(mode) ? kPathDirectory : kPathNothing;
}

template <typename T>
bool Within(T low, T value, T high)
{
    return low <= value && value <= high;
}

}  // namespace

WalkTally& WalkTally::operator+=(const WalkTally& other)
{
    files += other.files;
    dirs += other.dirs;
    bytes += other.bytes;
    return *this;
}

std::uint64_t FileTimeFromCalendar(std::time_t seconds)
{
    return TicksFrom(static_cast<std::int64_t>(seconds), 0);
}

bool ReadFileAttributes(const char* path, FileAttributes& attributes)
{
    struct statx info {};
    if (statx(AT_FDCWD, path, 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return false;
    const struct statx_timestamp& created = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_ctime;
    attributes.attributes = info.stx_mode;
    attributes.creationTime = TicksFrom(created.tv_sec, created.tv_nsec);
    attributes.lastAccessTime = TicksFrom(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
    attributes.lastWriteTime = TicksFrom(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    attributes.size = S_ISDIR(info.stx_mode) ? 0 : info.stx_size;
    return true;
}

CFileFinder::CFileFinder()
{
    ReadCurrentDirectory(startDirectory);
    TrimSeparators(startDirectory, true);
}

WalkTally CFileFinder::Expand(const CWexList<CDynString>& input, CWexList<CDynString>& output,
                              std::int32_t depth, bool wantDirectories, bool wantFileItems,
                              CDynString pattern, bool ignoreCase, bool clearOutput)
{
    results = &output;
    Compile(pattern.GetText(), ignoreCase ? "i" : "");
    if (clearOutput)
        output.t_DeleteList();
    resultIndex_ = PathIndex(output);
    wantDirs = wantDirectories;
    wantFiles = wantFileItems;
    maxDepth = depth < 0 ? kDeepest : depth;
    running = true;
    WalkTally total;
    // Every start path is walked, even after a cancel; the walk itself stops listing.
    for (const CWexNode<CDynString>* node = input.head; node != nullptr; node = node->next)
        total += Walk(std::string(node->element.View()), 0);
    running = false;
    resultIndex_.Clear();
    return total;
}

WalkTally CFileFinder::Walk(const std::string& path, std::int32_t level)
{
    return WalkKind(path, level, GetPathKind(path.c_str()), true);
}

WalkTally CFileFinder::WalkKind(const std::string& path, std::int32_t level, int kind, bool mayBeLink)
{
    if (kind == kPathNothing)
        return {};
    if (kind == kPathFile || level == maxDepth || (mayBeLink && IsSymbolicLink(path)))
        return Consider(path, kind, {});
    DIR* listing = OpenListing(path);
    if (listing == nullptr)
        return {};
    WalkTally content;
    for (bool first = true; first || running; first = false) {
        const dirent* entry = readdir(listing);
        if (entry == nullptr)
            break;
        if (IsDotEntry(entry->d_name))
            continue;
        // A listing that says "regular file" or "directory" has answered GetPathKind and the
        // link test already; other entries (links, unknown types) are asked.
        const std::string child = JoinPath(path, entry->d_name);
        if (entry->d_type == DT_REG || entry->d_type == DT_DIR)
            content += WalkKind(child, level + 1, entry->d_type == DT_REG ? kPathFile : kPathDirectory, false);
        else
            content += Walk(child, level + 1);
    }
    closedir(listing);
    return Consider(path, kind, content);
}

WalkTally CFileFinder::Consider(const std::string& path, int kind, WalkTally content)
{
    bool wanted = (kind == kPathFile && wantFiles) || (kind == kPathDirectory && wantDirs);
    // Only the advanced criteria need the attributes; without them the kind the listing gave
    // is the last look at the path. A read must still show that kind.
    if (!wanted || (HasPattern() && FindAll(CutPath(path.c_str()).name.c_str()) <= 0) ||
        (criteria.criteriaOn &&
         (!ReadFileAttributes(path.c_str(), itemData) || KindOfMode(itemData.attributes) != kind))) {
        Report(0, path.c_str(), kind);
        return content;
    }
    bool ok = MatchesCriteria(kind, content);
    if (kind == kPathFile) {
        ++content.files;
        content.bytes += itemData.size;
    } else {
        ++content.dirs;
    }
    if (ok)
        TakeResult(path, kind);
    else
        Report(0, path.c_str(), kind);
    return content;
}

void CFileFinder::TakeResult(const std::string& path, int kind)
{
    CDynString absolute = PathString(path);
    if (absolute.View().front() != '/')
        MakeAbsolute(absolute);
    bool fresh = !results->unique || !resultIndex_.Contains(absolute.View());
    if (fresh && results->t_Insert(results->tail, PathString(absolute.View())) != nullptr) {
        resultIndex_.Add(absolute.View());
        if (resultKinds != nullptr)
            resultKinds->push_back(kind);
        Report(results->count, absolute.GetText(), kind);
    } else if (desktop != nullptr) {
        desktop->PumpMessages();
    }
}

void CFileFinder::Report(std::int32_t added, const char* path, int kind)
{
    if (notifyWindow != nullptr)
        notifyWindow->OnFinderNotify(added, path, kind);
    if (desktop != nullptr)
        desktop->PumpMessages();
}

bool CFileFinder::MatchesCriteria(int kind, const WalkTally& content) const
{
    const FinderCriteria& c = criteria;
    if (!c.criteriaOn)
        return true;
    if (c.contentOn &&
        !(Within<std::int64_t>(c.minDirs, content.dirs, c.maxDirs) &&
          Within<std::int64_t>(c.minFiles, content.files, c.maxFiles) &&
          Within(c.minBytes, content.bytes, c.maxBytes)))
        return false;
    if (c.sizeOn && kind == kPathFile && !Within(c.minData.size, itemData.size, c.maxData.size))
        return false;
    if (c.accessTimeOn &&
        !Within(c.minData.lastAccessTime, itemData.lastAccessTime, c.maxData.lastAccessTime))
        return false;
    if (c.createTimeOn &&
        !Within(c.minData.creationTime, itemData.creationTime, c.maxData.creationTime))
        return false;
    if (c.writeTimeOn &&
        !Within(c.minData.lastWriteTime, itemData.lastWriteTime, c.maxData.lastWriteTime))
        return false;
    return true;
}

CDynString CFileFinder::ChooseFolder(Desktop& chooser, const char* initialPath, const char* title,
                                     int width, int height) const
{
    return ::ChooseFolder(chooser, initialPath, startDirectory.GetText(), title, width, height);
}
