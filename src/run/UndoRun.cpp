/*
 * UndoRun: the checks before each change is taken back, and the renames that take it back.
 * Every step works inside the target's folder opened once and checked to be the noted
 * folder, addressed as /proc/self/fd/N/name, so no link put in the path since the run is
 * followed out of it.
 */
#include "run/UndoRun.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/FileHandle.h"
#include "run/ContentHash.h"

namespace {

// How one change ended.
enum class Step { Restored, NotMade, LeftAlone };

// An open folder, closed at the end of the scope.
class Folder {
public:
    // Opens the folder of path; Reason() says why it cannot be used.
    explicit Folder(const std::string& path)
    {
        const std::string folder = std::filesystem::path(path).parent_path();
        fd_ = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd_ == -1) {
            reason_ = std::string("its folder cannot be opened: ") + std::strerror(errno);
            return;
        }
        std::error_code error;
        if (std::filesystem::read_symlink(Entry(""), error) != folder)
            reason_ = "its folder now leads elsewhere through a symbolic link";
    }
    ~Folder()
    {
        if (fd_ != -1) close(fd_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    int Fd() const { return fd_; }
    const std::string& Reason() const { return reason_; }
    // A name inside the folder as a path that goes through the open descriptor.
    std::string Entry(const std::string& name) const
    {
        return "/proc/self/fd/" + std::to_string(fd_) + (name.empty() ? "" : "/" + name);
    }

private:
    int fd_ = -1;
    std::string reason_;
};

std::string NameOf(const std::string& path) { return std::filesystem::path(path).filename(); }

// Whether the entry name in folder is the file the run left.
bool AsLeft(const Folder& folder, const std::string& name, const struct stat& now, const UndoChange& change)
{
    return S_ISREG(now.st_mode) && now.st_size == change.size && now.st_mtim.tv_sec == change.modified.tv_sec &&
           now.st_mtim.tv_nsec == change.modified.tv_nsec && HashFile(folder.Fd(), name) == change.hash;
}

// Whether the target still holds its kept original's bytes: a change noted with its batch that
// the run did not get to make, where the original had to be copied rather than linked.
bool StillOriginal(const Folder& folder, const std::string& name, const struct stat& now, const std::string& kept,
                   const struct stat& original)
{
    if (!S_ISREG(now.st_mode) || now.st_size != original.st_size) return false;
    const std::optional<std::string> hash = HashFile(folder.Fd(), name);
    return hash && hash == HashFile(AT_FDCWD, kept);
}

// Puts the kept original back over the target.
Step RestoreContent(const std::string& record, const UndoChange& change, std::string& why)
{
    const Folder folder(change.from);
    why = folder.Reason();
    if (!why.empty()) return Step::LeftAlone;
    const std::string name = NameOf(change.from);
    const std::string kept = record + "/" + change.kept;
    struct stat now {};
    struct stat original {};
    if (lstat(kept.c_str(), &original) != 0) return why = "its kept original is gone", Step::LeftAlone;
    if (fstatat(folder.Fd(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return why = "it is gone", Step::LeftAlone;
    if (now.st_dev == original.st_dev && now.st_ino == original.st_ino) return Step::NotMade;
    if (!AsLeft(folder, name, now, change)) {
        if (StillOriginal(folder, name, now, kept, original)) return Step::NotMade;
        return why = "it was changed after the run", Step::LeftAlone;
    }
    if (rename(kept.c_str(), folder.Entry(name).c_str()) == 0) return Step::Restored;
    // Kept on another file system: a copy beside the target takes its place.
    const std::string copy = folder.Entry(".quillmend-undo-" + change.kept);
    if (errno == EXDEV && CopyKeepingStatus(kept, copy)) {
        if (rename(copy.c_str(), folder.Entry(name).c_str()) == 0) return unlink(kept.c_str()), Step::Restored;
        unlink(copy.c_str());
    }
    why = std::string("cannot put the original back: ") + std::strerror(errno);
    return Step::LeftAlone;
}

// Renames the new name back to the old one.
Step RestoreName(const UndoChange& change, std::string& why)
{
    const Folder folder(change.to);
    why = folder.Reason();
    if (!why.empty()) return Step::LeftAlone;
    const std::string renamed = folder.Entry(NameOf(change.to));
    const std::string original = folder.Entry(NameOf(change.from));
    struct stat now {};
    if (lstat(renamed.c_str(), &now) != 0) {
        if (lstat(original.c_str(), &now) == 0) return Step::NotMade;
        return why = "it is gone", Step::LeftAlone;
    }
    if (S_ISDIR(now.st_mode) != change.directory) return why = "it is no longer what the run left", Step::LeftAlone;
    if (RenameNoReplace(renamed.c_str(), original.c_str())) return Step::Restored;
    why = errno == EEXIST ? std::string("its old name is taken") : std::string("cannot rename it back: ") + std::strerror(errno);
    return Step::LeftAlone;
}

}  // namespace

std::optional<UndoRecord> FindUndoRecord(const std::string& undoDirectory, const std::string& id, std::string& why)
{
    const std::vector<std::string> ids = UndoRecordIds(undoDirectory);
    if (!id.empty()) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) return why = "no run " + id + " is kept", std::nullopt;
        std::optional<UndoRecord> record = ReadUndoRecord(undoDirectory, id, why);
        if (record && record->undone != 0) return why = "run " + id + " was undone already", std::nullopt;
        return record;
    }
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        std::optional<UndoRecord> record = ReadUndoRecord(undoDirectory, *it, why);
        if (!record) return why = "run " + *it + ": " + why, std::nullopt;
        if (record->undone == 0) return record;
    }
    why = "no run is kept that was not undone already";
    return std::nullopt;
}

UndoOutcome UndoChanges(const std::string& undoDirectory, const UndoRecord& record)
{
    UndoOutcome outcome;
    const std::string folder = undoDirectory + "/" + record.id;
    for (auto it = record.changes.rbegin(); it != record.changes.rend(); ++it) {
        std::string why;
        const bool content = it->kind == UndoChange::Kind::Content;
        const Step step = content ? RestoreContent(folder, *it, why) : RestoreName(*it, why);
        if (step == Step::Restored) ++outcome.restored;
        if (step == Step::LeftAlone) outcome.leftAlone.push_back({RunNote::Kind::Unchanged, content ? it->from : it->to, why});
    }
    outcome.unmarked = !MarkUndone(undoDirectory, record.id);
    return outcome;
}

bool HasUndoableRun(const std::string& undoDirectory)
{
    std::string why;
    return FindUndoRecord(undoDirectory, "", why).has_value();
}

void UndoLastRun(Desktop& desktop, const std::string& undoDirectory, LineList& report)
{
    std::string why;
    const std::optional<UndoRecord> record = FindUndoRecord(undoDirectory, "", why);
    if (!record) return desktop.Notice(why);
    if (!desktop.AskYesNo("Undo " + std::to_string(record->changes.size()) + " changes of " + record->id + "?")) return;
    const UndoOutcome outcome = UndoChanges(undoDirectory, *record);
    for (const RunNote& note : outcome.leftAlone) report.Append(note.path + ": left alone: " + note.reason);
    report.Append("undid " + std::to_string(outcome.restored) + " changes of " + record->id + "; " +
                  std::to_string(outcome.leftAlone.size()) + " targets left alone");
}
