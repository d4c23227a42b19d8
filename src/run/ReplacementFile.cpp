/*
 * ReplacementFile: exclusive create, checked writes, fsync, mode and owner, atomic rename.
 */
#include "run/ReplacementFile.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "base/Random.h"

namespace {

// How many random names are tried before creating the temporary file is given up.
constexpr int kNameAttempts = 100;

// Flushes a directory so that a rename inside it is on the disk; failures do not matter.
void SyncDirectory(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1) return;
    fsync(fd);
    close(fd);
}

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Create(const std::string& target)
{
    Discard();
    std::error_code error;
    const auto resolved = std::filesystem::canonical(target, error);
    if (error || stat(resolved.c_str(), &targetStatus_) != 0 || !S_ISREG(targetStatus_.st_mode)) return false;
    targetPath_ = resolved.string();
    const std::filesystem::path directory = resolved.parent_path();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = directory / ("quillmendtmp" + std::to_string(RandomDraw()) + ".wex");
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd != -1) {
            descriptor_ = fd;
            tempPath_ = std::move(candidate);
            writeFailed_ = false;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

void ReplacementFile::Write(std::string_view bytes)
{
    while (!writeFailed_ && !bytes.empty()) {
        if (descriptor_ == -1) {
            writeFailed_ = true;
            break;
        }
        const ssize_t written = write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) writeFailed_ = true;
        else bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool ReplacementFile::Commit()
{
    if (descriptor_ == -1 || writeFailed_) {
        Discard();
        return false;
    }
    bool ok = fsync(descriptor_) == 0;
    // Owner and group only where the process may set them; the mode after them, since a
    // change of owner may clear the set-id bits.
    if (ok && fchown(descriptor_, targetStatus_.st_uid, targetStatus_.st_gid) != 0 && errno != EPERM) ok = false;
    if (ok) ok = fchmod(descriptor_, targetStatus_.st_mode & 07777) == 0;
    const int fd = descriptor_;
    descriptor_ = -1;
    if (close(fd) != 0) ok = false;
    if (ok) ok = rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
    if (!ok) {
        Discard();
        return false;
    }
    tempPath_.clear();
    SyncDirectory(std::filesystem::path(targetPath_).parent_path());
    return true;
}

void ReplacementFile::Discard()
{
    if (descriptor_ != -1) close(descriptor_);
    descriptor_ = -1;
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
    tempPath_.clear();
    writeFailed_ = false;
}
