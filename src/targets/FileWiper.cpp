/*
 * FileWiper: the wipe of files and directory trees. The overwrite uses one 64 KiB buffer
 * refilled with fresh random bytes for every block; messages are pumped every 20 blocks,
 * which is where a cancel click arrives.
 */
#include "targets/FileWiper.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/Desktop.h"
#include "base/FileHandle.h"
#include "base/Paths.h"
#include "base/Progress.h"

namespace {

// Bytes written per block.
constexpr std::size_t kBlockSize = 65536;
// Blocks between two pumps of the window messages.
constexpr std::uint64_t kBlocksPerPump = 20;
// A file shows per-block progress from this many blocks on.
constexpr std::uint64_t kMinProgressBlocks = 10;
// How long the writability probe may wait.
constexpr int kProbeTimeoutMs = 200;
// Random names tried for one rename when the names drawn exist already.
constexpr int kRenameAttempts = 100;

// What lstat says about a path, without following a link.
enum class Entry { Missing, Link, Regular, Directory, Other };

Entry EntryOf(const char* path)
{
    struct stat info {};
    if (path == nullptr || lstat(path, &info) != 0)
        return Entry::Missing;
    if (S_ISLNK(info.st_mode))
        return Entry::Link;
    if (S_ISREG(info.st_mode))
        return Entry::Regular;
    if (S_ISDIR(info.st_mode))
        return Entry::Directory;
    return Entry::Other;
}

// Writes all of data; false on any failure.
bool WriteAll(int descriptor, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t written = write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Removes what lies directly inside dir but never enters a walk: links to nothing or to a
// special file, and FIFOs, sockets and devices. They hold no data of their own, are removed
// without being opened, and would otherwise keep the directory from being removed.
void RemoveUntakenEntries(const std::string& dir)
{
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr)
        return;
    for (const dirent* entry = readdir(listing); entry != nullptr; entry = readdir(listing)) {
        std::string path = dir + "/" + entry->d_name;
        Entry kind = EntryOf(path.c_str());
        if (kind == Entry::Other || (kind == Entry::Link && GetPathKind(path.c_str()) == kPathNothing))
            unlink(path.c_str());
    }
    closedir(listing);
}

}  // namespace

FileWiper::FileWiper(Desktop& desktop) : desktop_(desktop)
{
    finder.desktop = &desktop;
}

bool FileWiper::Wipe(CDynString path, bool keepRoot, int rounds)
{
    // The root is compared with the walk's absolute paths, so it must be absolute itself;
    // only trailing "/" are cut: any other byte at the end belongs to its name.
    MakeAbsolute(path);
    Entry entry = EntryOf(path.GetText());
    if (entry == Entry::Link)
        return !keepRoot && unlink(path.GetText()) == 0;
    int kind = GetPathKind(path.GetText());
    if (kind == kPathNothing)
        return entry == Entry::Missing;
    if (kind == kPathFile) {
        desktop_.PumpMessages();
        return WipeFile(rounds, path, true);
    }
    CWexList<CDynString> input;
    CWexList<CDynString> output;
    input.add(PathString(path.View()));
    WalkTally tally = finder.Expand(input, output, -1, true, true, CDynString(""), true, true);
    if (progress != nullptr) {
        progress->SetRange(0, output.count);
        progress->SetStep(1);
        progress->SetPosition(0);
    }
    std::uint32_t dirsGone = 0;
    std::uint32_t filesGone = 0;
    for (const CWexNode<CDynString>* node = output.head; node != nullptr; node = node->next) {
        const CDynString& item = node->element;
        bool isDirectory = GetPathKind(item.GetText()) == kPathDirectory;
        if (isDirectory && EntryOf(item.GetText()) == Entry::Directory)
            RemoveUntakenEntries(std::string(item.View()));
        if (keepRoot && item.View() == path.View())
            continue;
        bool gone = isDirectory ? WipeDirectory(rounds, item) : WipeFile(rounds, item, false);
        if (gone)
            ++(isDirectory ? dirsGone : filesGone);
        if (progress != nullptr)
            progress->StepIt();
    }
    bool allGone = dirsGone == tally.dirs - (keepRoot ? 1 : 0) && filesGone == tally.files;
    // A kept root must be empty too: what the walk could not list never entered the tally.
    return allGone && (!keepRoot || IsEmptyDirectory(path));
}

bool FileWiper::WipeFile(int rounds, const CDynString& path, bool showBlocks)
{
    Entry entry = EntryOf(path.GetText());
    if (entry == Entry::Link)
        return unlink(path.GetText()) == 0;
    if (entry != Entry::Regular)
        return entry == Entry::Missing;
    if (rounds <= 0)
        return unlink(path.GetText()) == 0;
    FileHandle probe;
    if (!probe.WaitReplaceable(desktop_, false, kProbeTimeoutMs, path.GetText()))
        return false;
    FileHandle file;
    file.descriptor = open(path.GetText(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (file.descriptor == -1 || fstat(file.descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    bool written = Overwrite(file.descriptor, static_cast<std::uint64_t>(info.st_size), rounds, showBlocks);
    file.Close();
    if (!written || !wiping)
        return false;
    CDynString current = path;
    RenameRandomly(current, rounds);
    return unlink(current.GetText()) == 0;
}

bool FileWiper::Overwrite(int descriptor, std::uint64_t length, int rounds, bool showBlocks)
{
    std::uint64_t blocks = length * static_cast<std::uint64_t>(rounds) / kBlockSize;
    bool perBlock = showBlocks && progress != nullptr && blocks >= kMinProgressBlocks;
    if (showBlocks && progress != nullptr) {
        if (perBlock) {
            progress->SetRange(0, static_cast<int>(std::min<std::uint64_t>(blocks, INT32_MAX)));
            progress->SetStep(1);
        }
        progress->SetPosition(0);
    }
    std::vector<unsigned char> buffer(kBlockSize);
    wiping = true;
    for (int round = 1; round <= rounds && wiping; ++round) {
        if (lseek(descriptor, 0, SEEK_SET) != 0)
            return false;
        std::uint64_t done = 0;
        for (std::uint64_t block = 1; wiping && done < length; ++block) {
            for (unsigned char& byte : buffer)
                byte = static_cast<unsigned char>(RandomBetween(0, 255));
            std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, length - done));
            if (!WriteAll(descriptor, buffer.data(), size))
                return false;
            done += size;
            if (block % kBlocksPerPump == 0)
                desktop_.PumpMessages();
            if (perBlock)
                progress->StepIt();
        }
        if (fsync(descriptor) != 0)
            return false;
    }
    return true;
}

void FileWiper::RenameRandomly(CDynString& path, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
            CDynString randomName = path;
            RandomizeName(randomName);
            if (RenameNoReplace(path.GetText(), randomName.GetText())) {
                path = randomName;
                break;
            }
            if (errno != EEXIST)
                return;
        }
    }
}

bool FileWiper::WipeDirectory(int rounds, const CDynString& path)
{
    Entry entry = EntryOf(path.GetText());
    if (entry == Entry::Link)
        return unlink(path.GetText()) == 0;
    if (entry != Entry::Directory)
        return entry == Entry::Missing;
    if (rounds < 1)
        return rmdir(path.GetText()) == 0;
    if (!IsEmptyDirectory(path))
        return false;
    FileHandle probe;
    if (!probe.WaitReplaceable(desktop_, true, kProbeTimeoutMs, path.GetText()))
        return false;
    CDynString current = path;
    RenameRandomly(current, rounds);
    desktop_.PumpMessages();
    return rmdir(current.GetText()) == 0;
}

bool FileWiper::IsEmptyDirectory(CDynString path)
{
    DIR* listing = opendir(path.GetText());
    if (listing == nullptr)
        return false;
    bool empty = true;
    for (const dirent* entry = readdir(listing); entry != nullptr && empty; entry = readdir(listing))
        empty = std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0;
    closedir(listing);
    return empty;
}
