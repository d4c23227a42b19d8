/*
 * TargetOverlap: resolved paths and the device-and-inode test of a path against the targets.
 * The test collects the identities of the path and of every directory above it once, then
 * needs one stat per target, so it stays linear in the number of targets.
 */
#include "targets/TargetOverlap.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "base/Paths.h"

namespace fs = std::filesystem;

namespace {

// A file's identity on this machine.
using FileId = std::pair<dev_t, ino_t>;

bool IsDotName(const fs::path& name)
{
    return name == "." || name == "..";
}

// Adds the identity of dir and of every directory above it.
void AddDirectoriesFrom(fs::path dir, std::set<FileId>& ids)
{
    struct stat info {};
    for (;; dir = dir.parent_path()) {
        if (stat(dir.c_str(), &info) == 0)
            ids.emplace(info.st_dev, info.st_ino);
        if (dir == dir.root_path() || dir.empty())
            return;
    }
}

// The identities of path (its link followed) and of every directory above the path and
// above what it points to.
std::set<FileId> IdentitiesAbove(const std::string& path)
{
    std::set<FileId> ids;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        ids.emplace(info.st_dev, info.st_ino);
    AddDirectoriesFrom(fs::path(ResolvedPath(path, false)).parent_path(), ids);
    AddDirectoriesFrom(fs::path(ResolvedPath(path, true)).parent_path(), ids);
    return ids;
}

}  // namespace

std::string ResolvedPath(const std::string& path, bool followLast)
{
    CDynString text(path.c_str());
    MakeAbsolute(text);
    fs::path absolute(std::string(text.View()));
    std::error_code error;
    if (followLast || !absolute.has_filename() || IsDotName(absolute.filename()))
        return fs::weakly_canonical(absolute, error).string();
    return (fs::weakly_canonical(absolute.parent_path(), error) / absolute.filename()).string();
}

bool IsWithin(const std::string& inner, const std::string& outer)
{
    if (inner.compare(0, outer.size(), outer) != 0)
        return false;
    return inner.size() == outer.size() || outer == "/" || inner[outer.size()] == '/';
}

std::string TargetHolding(const std::string& path, const std::vector<std::string>& targets)
{
    const std::set<FileId> ids = IdentitiesAbove(path);
    struct stat info {};
    for (const std::string& target : targets) {
        if (stat(target.c_str(), &info) == 0 && ids.contains({info.st_dev, info.st_ino}))
            return target;
    }
    return {};
}
