/*
 * ReplacementFile: exclusive create, checked writes, fsync, owner, extended attributes,
 * mode, the identity check and the atomic rename.
 */
#include "run/ReplacementFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "base/Random.h"
#include "run/ExtendedAttributes.h"
#include "run/RunTexts.h"
#include "run/SignalCleanup.h"

namespace {

// How many random names are tried before creating the temporary file is given up.
constexpr int kNameAttempts = 100;

}  // namespace

void SyncDirectory(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1) return;
    fsync(fd);
    close(fd);
}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::SyncFileSystem() const { return descriptor_ != -1 && syncfs(descriptor_) == 0; }

std::string ReplacementFile::Directory() const { return std::filesystem::path(targetPath_).parent_path(); }

bool ReplacementFile::Create(const std::string& target, const struct stat& opened)
{
    Discard();
    failure_.clear();
    flushed_ = false;
    targetStatus_ = opened;
    std::error_code error;
    const auto resolved = std::filesystem::canonical(target, error);
    if (error) {
        failure_ = "cannot resolve the path: " + error.message();
        return false;
    }
    targetPath_ = resolved.string();
    // Not writable for this process, and not its own read-only file: replacing it would
    // overrule its owner.
    if (faccessat(AT_FDCWD, targetPath_.c_str(), W_OK, AT_EACCESS) != 0 && geteuid() != targetStatus_.st_uid) {
        failure_ = std::string("no write permission: ") + std::strerror(errno);
        return false;
    }
    const std::filesystem::path directory = resolved.parent_path();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = directory / ("quillmendtmp" + std::to_string(RandomDraw()) + ".wex");
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd != -1) {
            cleanupSlot_ = RegisterTemporaryFile(candidate.c_str());
            descriptor_ = fd;
            tempPath_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) break;
    }
    failure_ = std::string("cannot create the temporary file: ") + std::strerror(errno);
    return false;
}

void ReplacementFile::Write(std::string_view bytes)
{
    while (failure_.empty() && !bytes.empty()) {
        const ssize_t written = write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) failure_ = std::string("cannot write the temporary file: ") + std::strerror(errno);
        else bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

ReplacementFile::Outcome ReplacementFile::Refuse(const char* step)
{
    if (failure_.empty()) failure_ = std::string(step) + ": " + std::strerror(errno);
    Discard();
    return Outcome::Refused;
}

bool ReplacementFile::GiveOwner()
{
    struct stat own {};
    if (fstat(descriptor_, &own) != 0) return false;
    if (own.st_uid == targetStatus_.st_uid && own.st_gid == targetStatus_.st_gid) return true;
    return fchown(descriptor_, targetStatus_.st_uid, targetStatus_.st_gid) == 0;
}

ReplacementFile::Outcome ReplacementFile::Prepare()
{
    if (descriptor_ == -1 || !failure_.empty()) return Refuse("nothing to commit");
    if (!flushed_ && fsync(descriptor_) != 0) return Refuse("cannot flush the temporary file");
    // Owner first (it may clear set-id bits and capabilities), then the attributes, then the
    // mode, which also sets an ACL's mask to the old group bits.
    if (!GiveOwner()) return Refuse("cannot give the new file the old owner and group");
    if (!CopyExtendedAttributes(targetPath_, descriptor_)) return Refuse("cannot copy the extended attributes");
    if (fchmod(descriptor_, targetStatus_.st_mode & 07777) != 0) return Refuse("cannot set the mode");
    const int fd = std::exchange(descriptor_, -1);
    if (close(fd) != 0) return Refuse("cannot close the temporary file");
    return StillAsRead() ? Outcome::Ready : Outcome::Changed;
}

ReplacementFile::Outcome ReplacementFile::Swap()
{
    if (tempPath_.empty() || !failure_.empty()) return Refuse("nothing to commit");
    const TerminationSignalsBlocked blocked;
    if (!StillAsRead()) return Outcome::Changed;
    if (rename(tempPath_.c_str(), targetPath_.c_str()) != 0) return Refuse("cannot rename the new file onto the old");
    ForgetTemporaryFile(std::exchange(cleanupSlot_, -1));
    tempPath_.clear();
    return Outcome::Replaced;
}

bool ReplacementFile::Relinked()
{
    // Only the status-change time is taken anew: a change of the content, size or file since
    // it was read still shows.
    struct stat now {};
    const bool found = stat(targetPath_.c_str(), &now) == 0;
    if (found) targetStatus_.st_ctim = now.st_ctim;
    return Unchanged(found, now);
}

ReplacementFile::Outcome ReplacementFile::Withdraw(const std::string& why)
{
    failure_ = why;
    Discard();
    return Outcome::Refused;
}

bool ReplacementFile::StillAsRead()
{
    struct stat now {};
    const bool found = stat(targetPath_.c_str(), &now) == 0;
    return Unchanged(found, now);
}

bool ReplacementFile::Unchanged(bool found, const struct stat& now)
{
    if (found && FileIdentity::Of(targetStatus_).Unchanged(FileIdentity::Of(now))) return true;
    failure_ = runtext::kFileChanged;
    Discard();
    return false;
}

void ReplacementFile::Discard()
{
    if (descriptor_ != -1) close(descriptor_);
    descriptor_ = -1;
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
    ForgetTemporaryFile(std::exchange(cleanupSlot_, -1));
    tempPath_.clear();
}
