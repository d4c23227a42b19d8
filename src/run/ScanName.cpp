/*
 * ScanName: the last component of a target's path, searched and (unless search-only)
 * renamed with the confirmed replacements applied. A rename never replaces an existing name,
 * never changes a mode (it needs the directory's permission, not the file's) and renames a
 * link itself; a refused one leaves the target as it was and reports "renamimg error" with
 * the reason. A directory's
 * rename carries the later targets below it along, so they are still processed. Every search
 * sees the whole name, so "^" and "\b" after an earlier occurrence are judged by the name's
 * real bytes.
 */
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

#include "base/FileHandle.h"
#include "base/Paths.h"
#include "run/RunTexts.h"
#include "run/SearchRun.h"

// Why a replacement that leaves an empty or dot name is not renamed.
static constexpr const char* kNoNameLeft = "the replacement leaves no usable name";

int SearchRun::ScanName(const std::string& path, std::size_t index)
{
    const PathParts parts = CutPath(path.c_str());
    const std::string& subject = parts.name;
    state_.output.clear();
    state_.fileState = kFileReading;
    std::size_t position = 0;
    std::size_t searchFrom = 0;
    int count = 0;
    int replaced = 0;
    while (state_.running && searchFrom < subject.size()) {
        std::size_t start = 0;
        std::size_t length = 0;
        if (state_.regex.FindAll(subject.data(), subject.size(), nullptr, searchFrom, 0) <= 0 ||
            !state_.regex.LastMatch(start, length)) {
            SearchStopped(path);
            break;
        }
        if (length == 0) {
            searchFrom = start + 1;
            continue;
        }
        ++count;
        const std::string_view matched = std::string_view(subject).substr(start, length);
        NoteFound(matched);
        std::string replacement;
        if (!job_.searchOnly) replacement = ReplacementFor(searchFrom, subject.size(), matched);
        ShowNameOccurrence(path, subject, position, start, length, job_.searchOnly ? nullptr : &replacement);
        if (!job_.searchOnly && state_.running && state_.fileState != kFileAbandoned) {
            state_.output.append(subject, position, start - position);
            ApplyAnswer(matched, replacement, replaced);
        }
        if (!state_.processAll) state_.answer = kAnswerNone;
        position = searchFrom = start + length;
        if (state_.fileState != kFileReading) break;
    }
    if (job_.searchOnly) return count;
    state_.output.append(subject, std::min(position, subject.size()));
    if (replaced == 0) return count;
    if (state_.fileState != kFileReading) {
        state_.droppedConfirmed += replaced;
        return count;
    }
    if (RenameTarget(parts.directory, subject, state_.output, index)) state_.replacedTotal += replaced;
    return count;
}

bool SearchRun::RenameTarget(const std::string& directory, const std::string& oldName, std::string newName,
                             std::size_t index)
{
    const auto slash = newName.find_last_of('/');
    if (slash != std::string::npos) newName.erase(0, slash + 1);
    if (newName == oldName) return false;
    const std::string oldPath = std::filesystem::path(directory) / oldName;
    const std::string newPath = std::filesystem::path(directory) / newName;
    if (newName.empty() || newName == "." || newName == "..") {
        ReportFailure(runtext::kRenameError, {RunNote::Kind::Unchanged, oldPath, kNoNameLeft});
        return false;
    }
    if (diff_ != nullptr) return PreviewRename(oldPath, newPath);
    // The probe and the rename look at the entry itself: a link is renamed, never followed,
    // and no mode is changed, since a rename needs the directory's permission only.
    FileHandle probe;
    if (!probe.WaitReplaceable(seams_.desktop, true, 0, oldPath.c_str())) {
        ReportFailure(runtext::kRenameError, {RunNote::Kind::Unchanged, oldPath, std::strerror(errno)});
        return false;
    }
    const bool isDirectory = GetPathKind(oldPath.c_str()) == kPathDirectory;
    const std::string unnoted = journal_ != nullptr ? journal_->NoteRename(oldPath, newPath, isDirectory) : "";
    if (!unnoted.empty() || !RenameNoReplace(oldPath.c_str(), newPath.c_str())) {
        const std::string reason = unnoted.empty() ? std::strerror(errno) : unnoted;
        ReportFailure(runtext::kRenameError, {RunNote::Kind::Unchanged, oldPath, reason});
        return false;
    }
    if (isDirectory) MoveLaterTargets(oldPath, newPath, index);
    return true;
}

void SearchRun::MoveLaterTargets(const std::string& oldPath, const std::string& newPath, std::size_t index)
{
    LineList& lines = seams_.targets.lines;
    const std::string oldPrefix = oldPath + "/";
    for (std::size_t j = index + 1; j < lines.Count(); ++j) {
        const std::string& line = lines.Line(j);
        if (line.compare(0, oldPrefix.size(), oldPrefix) == 0) lines.SetLine(j, newPath + line.substr(oldPath.size()));
    }
}

bool SearchRun::PreviewRename(const std::string& oldPath, const std::string& newPath)
{
    struct stat taken {};
    if (lstat(newPath.c_str(), &taken) == 0) {
        ReportFailure(runtext::kRenameError, {RunNote::Kind::Unchanged, oldPath, std::strerror(EEXIST)});
        return false;
    }
    diff_->Rename(oldPath, newPath, GetPathKind(oldPath.c_str()) == kPathDirectory);
    return true;
}
