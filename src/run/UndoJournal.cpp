/*
 * UndoJournal: the record folder, the kept originals (a hard link, else a copy made with
 * copy_file_range or sendfile that takes the target's mode, owner, extended attributes and
 * times), the journal's lines with a flush after each, reading a journal back, and dropping
 * the oldest records.
 */
#include "run/UndoJournal.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "run/ContentHash.h"
#include "run/ExtendedAttributes.h"

namespace {

constexpr const char* kJournalName = "journal";
constexpr const char* kJournalHead = "quillmend undo journal 1";

// errno's text after a step's name.
std::string Failed(const char* step) { return std::string(step) + ": " + std::strerror(errno); }

// Flushes a directory so that the entries made in it are on the disk; failures do not matter.
void SyncDirectory(const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1) return;
    fsync(fd);
    close(fd);
}

// Copies the rest of in to out: with copy_file_range, which lets the file system share or
// offload the copy, and where it refuses (between two kinds of file system, which is when
// an original has to be copied at all) with sendfile, which copies between any two files.
bool CopyBytes(int in, int out)
{
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    bool ranged = true;
    for (;;) {
        const ssize_t got = ranged ? copy_file_range(in, nullptr, out, nullptr, kChunk, 0) : sendfile(out, in, nullptr, kChunk);
        if (got == 0) return true;
        if (got > 0 || errno == EINTR) continue;
        if (!ranged || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)) return false;
        ranged = false;
    }
}

}  // namespace

bool CopyKeepingStatus(const std::string& from, const std::string& to)
{
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in == -1) return false;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    struct stat status {};
    bool copied = out != -1 && fstat(in, &status) == 0 && CopyBytes(in, out);
    const timespec times[2] = {status.st_atim, status.st_mtim};
    // Owner first (it may clear set-id bits), then the attributes, then the mode, which also
    // sets an ACL's mask to the old group bits.
    copied = copied && fchown(out, status.st_uid, status.st_gid) == 0 && CopyExtendedAttributes(from, out) &&
             fchmod(out, status.st_mode & 07777) == 0 && futimens(out, times) == 0 && fsync(out) == 0;
    const int saved = errno;
    close(in);
    if (out != -1 && close(out) != 0) copied = false;
    if (!copied && out != -1) unlink(to.c_str());
    errno = saved;
    return copied;
}

namespace {

// The fields of one journal line.
std::vector<std::string> SplitLine(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(UnescapeJournalField(line.substr(start, tab - start)));
    fields.push_back(UnescapeJournalField(line.substr(start)));
    return fields;
}

// A whole decimal number; false for anything else.
bool ParseNumber(const std::string& text, long long& value)
{
    if (text.empty()) return false;
    std::size_t used = 0;
    try {
        value = std::stoll(text, &used);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size();
}

// Reads one body line into record; false when it is not a journal line.
bool ReadLine(const std::vector<std::string>& f, UndoRecord& record)
{
    long long a = 0;
    long long b = 0;
    long long c = 0;
    const std::string& key = f[0];
    if (f.size() == 2 && (key == "time" || key == "undone")) {
        if (!ParseNumber(f[1], a)) return false;
        (key == "time" ? record.time : record.undone) = static_cast<std::time_t>(a);
        return true;
    }
    if (f.size() == 2 && key == "pattern") return record.pattern = f[1], true;
    if (f.size() == 2 && key == "replacement") return record.replacement = f[1], true;
    if (f.size() == 2 && key == "flags") return record.flags = f[1], true;
    if (f.size() == 7 && key == "content" && ParseNumber(f[3], a) && ParseNumber(f[4], b) && ParseNumber(f[5], c)) {
        UndoChange change;
        change.from = f[1];
        change.kept = f[2];
        change.size = a;
        change.modified = {static_cast<time_t>(b), static_cast<long>(c)};
        change.hash = f[6];
        // A kept name is a plain name in the record's folder, never a path out of it.
        if (change.kept.empty() || change.kept.find('/') != std::string::npos || change.kept[0] == '.') return false;
        record.changes.push_back(std::move(change));
        return true;
    }
    if (f.size() == 4 && key == "rename" && (f[3] == "file" || f[3] == "dir")) {
        record.changes.push_back({UndoChange::Kind::Rename, f[1], f[2], {}, 0, {}, {}, f[3] == "dir"});
        return true;
    }
    return false;
}

}  // namespace

std::string EscapeJournalField(const std::string& field)
{
    std::string out;
    for (const char c : field) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeJournalField(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size() && std::isxdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(field[i + 2]))) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

UndoJournal::UndoJournal(std::string undoDirectory, UndoRunInfo info)
    : undoDirectory_(std::move(undoDirectory)), info_(std::move(info))
{
}

UndoJournal::~UndoJournal()
{
    if (journal_ == -1) return;
    close(journal_);
    if (changes_ > 0) {
        DropOldestRecords();
        return;
    }
    // Every change was refused before it was made: a record of nothing would only push an
    // older run out of the kept ones.
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void UndoJournal::DropOldestRecords()
{
    std::vector<std::string> ids = UndoRecordIds(undoDirectory_);
    for (std::size_t i = 0; i + kKeptRuns < ids.size(); ++i) {
        std::error_code ignored;
        std::filesystem::remove_all(undoDirectory_ + "/" + ids[i], ignored);
    }
}

std::string UndoJournal::Begin()
{
    if (journal_ != -1) return {};
    if (mkdir(undoDirectory_.c_str(), 0700) != 0 && errno != EEXIST) return Failed("cannot make the undo folder");
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now.tv_sec));
    // The milliseconds make the id unique; a taken one tries the next.
    for (long ms = now.tv_nsec / 1000000; folder_.empty(); ++ms) {
        char id[96];
        std::snprintf(id, sizeof id, "%s-%04ld", stamp, ms);
        const std::string folder = undoDirectory_ + "/" + id;
        if (mkdir(folder.c_str(), 0700) == 0) {
            id_ = id;
            folder_ = folder;
        } else if (errno != EEXIST) {
            return Failed("cannot make the undo record");
        }
    }
    journal_ = open((folder_ + "/" + kJournalName).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (journal_ == -1) return Failed("cannot make the undo journal");
    SyncDirectory(undoDirectory_);
    const std::string head = std::string(kJournalHead) + "\ntime\t" + std::to_string(now.tv_sec) + "\npattern\t" +
                             EscapeJournalField(info_.pattern) + "\nreplacement\t" +
                             EscapeJournalField(info_.replacement) + "\nflags\t" + EscapeJournalField(info_.flags);
    return Append(head);
}

std::string UndoJournal::Append(const std::string& line)
{
    const std::string text = line + "\n";
    if (write(journal_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return Failed("cannot write the undo journal");
    if (fsync(journal_) != 0) return Failed("cannot flush the undo journal");
    return {};
}

std::string UndoJournal::KeepOriginal(const PendingContent& change, std::string& line)
{
    const int fd = open(change.replacement.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat left {};
    const bool statted = fd != -1 && fstat(fd, &left) == 0;
    const std::optional<std::string> hash = statted ? HashDescriptor(fd) : std::nullopt;
    if (fd != -1) close(fd);
    if (!hash) return Failed("cannot read the new file for the undo journal");
    const std::string kept = std::to_string(++kept_);
    const std::string keptPath = folder_ + "/" + kept;
    if (link(change.target.c_str(), keptPath.c_str()) != 0 && !CopyKeepingStatus(change.target, keptPath))
        return Failed("cannot keep the original for undo");
    line = "content\t" + EscapeJournalField(change.target) + "\t" + kept + "\t" + std::to_string(left.st_size) + "\t" +
           std::to_string(left.st_mtim.tv_sec) + "\t" + std::to_string(left.st_mtim.tv_nsec) + "\t" + *hash;
    return {};
}

std::vector<std::string> UndoJournal::NoteContents(const std::vector<PendingContent>& changes)
{
    std::vector<std::string> failures(changes.size(), Begin());
    if (changes.empty() || !failures.front().empty()) return failures;
    // The kept originals and the lines of the whole batch, then one flush of the folder and
    // one of the journal: every line is on the disk before any of its changes is made.
    std::vector<std::string> keptPaths;
    std::string lines;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        std::string line;
        failures[i] = KeepOriginal(changes[i], line);
        if (!failures[i].empty()) continue;
        keptPaths.push_back(folder_ + "/" + std::to_string(kept_));
        lines += (lines.empty() ? "" : "\n") + line;
    }
    if (lines.empty()) return failures;
    SyncDirectory(folder_);
    const std::string failure = Append(lines);
    if (failure.empty()) {
        changes_ += static_cast<int>(keptPaths.size());
        return failures;
    }
    for (const std::string& path : keptPaths) unlink(path.c_str());
    for (std::string& each : failures)
        if (each.empty()) each = failure;
    return failures;
}

std::string UndoJournal::NoteRename(const std::string& oldPath, const std::string& newPath, bool directory)
{
    // The folder is noted with its links resolved, so an undo can tell when a link has
    // been put on the way since.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(std::filesystem::path(oldPath).parent_path(), error);
    if (error) return "cannot resolve the folder for the undo journal: " + error.message();
    std::string failure = Begin();
    if (!failure.empty()) return failure;
    failure = Append("rename\t" + EscapeJournalField(folder / std::filesystem::path(oldPath).filename()) + "\t" +
                     EscapeJournalField(folder / std::filesystem::path(newPath).filename()) +
                     (directory ? "\tdir" : "\tfile"));
    if (failure.empty()) ++changes_;
    return failure;
}

std::optional<UndoRecord> ReadUndoRecord(const std::string& undoDirectory, const std::string& id, std::string& why)
{
    std::ifstream in(undoDirectory + "/" + id + "/" + kJournalName, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    if (!in) {
        why = "the journal cannot be read";
        return std::nullopt;
    }
    if (text.empty() || text.back() != '\n') {
        why = "the journal is cut short";
        return std::nullopt;
    }
    UndoRecord record;
    record.id = id;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    bool usable = line == kJournalHead;
    while (usable && std::getline(lines, line)) usable = ReadLine(SplitLine(line), record);
    if (!usable || record.time == 0) {
        why = "the journal is not one this program wrote";
        return std::nullopt;
    }
    return record;
}

std::vector<std::string> UndoRecordIds(const std::string& undoDirectory)
{
    std::vector<std::string> ids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(undoDirectory, error))
        if (entry.is_directory(error) && !entry.is_symlink(error)) ids.push_back(entry.path().filename());
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool MarkUndone(const std::string& undoDirectory, const std::string& id)
{
    const int fd = open((undoDirectory + "/" + id + "/" + kJournalName).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd == -1) return false;
    const std::string line = "undone\t" + std::to_string(std::time(nullptr)) + "\n";
    const bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) && fsync(fd) == 0;
    return close(fd) == 0 && written;
}
