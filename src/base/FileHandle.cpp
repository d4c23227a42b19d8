/*
 * FileHandle and the writability probe: access checks only, so a probe can neither leave a
 * file under another name nor fail for a name too long to take a suffix.
 */
#include "base/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

#include "base/Desktop.h"
#include "base/Paths.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

// Whether this process may replace or rename the entry `info` (lstat) in its directory:
// write and search access to the directory, and in a sticky directory (such as /tmp) the
// entry or the directory must be its own. Sets errno when not.
bool DirectoryAllows(const std::string& path, const struct stat& info)
{
    const std::filesystem::path parentPath = std::filesystem::path(path).parent_path();
    const std::string directory = parentPath.empty() ? std::string(".") : parentPath.string();
    struct stat parent {};
    if (stat(directory.c_str(), &parent) != 0 ||
        faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    const uid_t self = geteuid();
    if ((parent.st_mode & S_ISVTX) != 0 && self != 0 && self != info.st_uid && self != parent.st_uid) {
        errno = EPERM;
        return false;
    }
    return true;
}

// Whether the path is writable and not read-only. Read-only is the owner's write bit, which
// counts where this process may change it (its own files, or any as root): root passes
// every access test, yet a read-only file must still be made writable before it is overwritten.
bool IsWritable(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || access(path.c_str(), W_OK) != 0)
        return false;
    bool mayChangeMode = geteuid() == 0 || geteuid() == info.st_uid;
    return (info.st_mode & S_IWUSR) != 0 || !mayChangeMode;
}

// Clears the read-only state (sets the owner's write bit) and pumps for up to timeoutMs
// until the path is writable. Whether it is writable in the end.
bool WaitWritable(Desktop& desktop, const std::string& path, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!IsWritable(path)) {
        if (Clock::now() >= deadline)
            return false;
        struct stat info {};
        if (stat(path.c_str(), &info) == 0)
            chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR);
        desktop.PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        desktop.PumpMessages();
    }
    return true;
}

}  // namespace

bool RenameNoReplace(const char* from, const char* to)
{
    return syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0;
}

FileHandle::FileHandle(const char* filePath) : path(filePath) {}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : descriptor(std::exchange(other.descriptor, -1)), path(std::move(other.path))
{
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        descriptor = std::exchange(other.descriptor, -1);
        path = std::move(other.path);
    }
    return *this;
}

FileHandle::~FileHandle()
{
    Close();
}

bool FileHandle::OpenWithFlags(const char* filePath, int flags)
{
    if (descriptor != -1)
        return false;
    const char* target = filePath != nullptr ? filePath : path.GetText();
    if (target == nullptr)
        return false;
    descriptor = open(target, flags | O_CLOEXEC, S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH);
    return descriptor != -1;
}

bool FileHandle::Open(bool readOnly, bool truncate, const char* filePath)
{
    return OpenWithFlags(filePath, readOnly ? O_RDONLY : (O_RDWR | O_CREAT | (truncate ? O_TRUNC : 0)));
}

bool FileHandle::CreateNew(const char* filePath)
{
    return OpenWithFlags(filePath, O_RDWR | O_CREAT | O_EXCL);
}

void FileHandle::Close()
{
    if (descriptor != -1) {
        close(descriptor);
        descriptor = -1;
    }
}

bool FileHandle::WaitReplaceable(Desktop& desktop, bool skipOpenTest, int timeoutMs,
                                 const char* probePath)
{
    const char* target = probePath != nullptr ? probePath : path.GetText();
    errno = EINVAL;
    if (target == nullptr || std::string_view(target) == "." || std::string_view(target) == "..")
        return false;
    PathParts parts = CutPath(target);
    if (parts.name == "." || parts.name == "..")
        return false;
    std::string checked = target;
    struct stat info {};
    if (lstat(checked.c_str(), &info) != 0 || !DirectoryAllows(checked, info))
        return false;
    if (skipOpenTest || S_ISDIR(info.st_mode))
        return true;
    // A probe that fails puts back the mode it changed; one that succeeds leaves the file
    // writable for the overwrite that follows it.
    const bool writable = WaitWritable(desktop, checked, timeoutMs);
    const int fd = writable ? open(checked.c_str(), O_RDWR | O_CLOEXEC) : -1;
    if (fd != -1) {
        close(fd);
        return true;
    }
    const int error = writable ? errno : EACCES;
    chmod(checked.c_str(), info.st_mode & 07777);
    errno = error;
    return false;
}
