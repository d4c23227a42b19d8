/*
 * ScanContent: one file's content, chunk by chunk. Each chunk is searched from where the
 * last occurrence ended; every occurrence is shown and answered, and in replace mode the
 * chunk's rewritten text (unmatched bytes, kept occurrences, replacements) goes to a
 * ReplacementFile that takes the target's place only when the whole file went through and
 * the target is still the file that was read. Skipping the file, cancelling, a read error,
 * a failed write or a change by another program leave the target as it was, and every
 * failure is told with the path and the reason.
 * The subject of every search begins with the context the buffer keeps before the chunk, so
 * a match is judged by the bytes before it even at a chunk's start or right after another
 * match; only the search itself starts where the last occurrence ended.
 */
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "run/RunTexts.h"
#include "run/SearchRun.h"

namespace {

// Why reading stopped short, for the report; empty when the chunk was read.
std::string ReadFailure(ReadBuffer::Fill fill, const ReadBuffer& buffer)
{
    if (fill == ReadBuffer::Fill::Error) return std::strerror(buffer.Error());
    if (fill == ReadBuffer::Fill::Full) return runtext::kMatchTooLong;
    return {};
}

// Whether the first 8 KiB of the file hold a NUL byte: a binary file, which a diff only names.
bool HasNulInHead(int descriptor)
{
    char head[8192];
    const ssize_t got = pread(descriptor, head, sizeof head, 0);
    return got > 0 && std::memchr(head, '\0', static_cast<std::size_t>(got)) != nullptr;
}

}  // namespace

int SearchRun::ScanContent(const std::string& path, const OpenedPath& openedPath)
{
    const int fd = openedPath.fd;
    const struct stat& opened = openedPath.status;
    if (fd == -1) {
        ReportFailure(runtext::kFileReadError, {RunNote::Kind::Unread, path, std::strerror(openedPath.error)});
        return 0;
    }
    if (!contentDone_.insert(FileIdentity::Of(opened).File()).second) {
        close(fd);
        return 0;
    }
    // The new content is written only by a replacing run that is not a preview.
    std::unique_ptr<ReplacementFile> rewrite;
    if (diff_ != nullptr) {
        diff_->BeginFile(path, HasNulInHead(fd));
    } else if (!job_.searchOnly) {
        rewrite = std::make_unique<ReplacementFile>();
        rewrite->Create(path, opened);
    }
    int count = 0;
    int replaced = 0;
    std::string readFailure;
    state_.fileState = kFileReading;
    ReadBuffer& buffer = state_.readBuffer;
    buffer.StartFile(static_cast<std::uint64_t>(opened.st_size));
    while (state_.running) {
        PumpNow();
        ReadBuffer::Fill fill = buffer.ReadChunk(fd, reader_);
        if (fill != ReadBuffer::Fill::Error) {
            state_.output.clear();
            count += SearchChunk(path, fd, fill, replaced);
        }
        readFailure = ReadFailure(fill, buffer);
        if (!readFailure.empty()) {
            state_.fileState = kFileAbandoned;
            break;
        }
        const bool atEnd = fill == ReadBuffer::Fill::Last;
        const std::string_view rest = buffer.FinishChunk(atEnd);
        if (atEnd && state_.fileState == kFileReading) state_.fileState = kFileEnd;
        if (diff_ != nullptr) {
            diff_->Same(rest);
        } else if (rewrite && state_.fileState != kFileAbandoned) {
            rewrite->Write(state_.output);
            rewrite->Write(rest);
        }
        if (state_.fileState != kFileReading) break;
    }
    if (!readFailure.empty()) ReportFailure(runtext::kFileReadError, {RunNote::Kind::Unread, path, readFailure});
    else if (diff_ != nullptr) diff_->EndFile(state_.fileState == kFileEnd);
    else if (rewrite) KeepRewrite(std::move(rewrite), opened, replaced);
    if (scanned_.rewrite) scanned_.source = fd;
    else close(fd);
    return count;
}

int SearchRun::SearchChunk(const std::string& path, int descriptor, ReadBuffer::Fill& fill, int& replaced)
{
    ReadBuffer& buffer = state_.readBuffer;
    int found = 0;
    while (state_.fileState == kFileReading && state_.running) {
        const std::string_view chunk = buffer.Chunk();
        const std::string_view subject = buffer.WithContext();
        const std::size_t context = buffer.ContextLength();
        // Unless the file ends here, a match starting in the last `overlap` bytes is left for
        // the next chunk, which starts with those bytes and sees what follows them: cut at the
        // chunk end, a match such as an e-mail address, or one ending in "\b" or "$", could be
        // shorter than the one the whole file holds.
        const std::size_t deferFrom = fill == ReadBuffer::Fill::Last ? chunk.size() + 1 : chunk.size() - job_.overlap;
        std::size_t start = 0;
        std::size_t length = 0;
        if (state_.regex.FindAll(subject.data(), subject.size(), nullptr, context + buffer.searchFrom, 0) <= 0 ||
            !state_.regex.LastMatch(start, length)) {
            SearchStopped(path);
            break;
        }
        start -= context;
        if (start >= deferFrom) break;
        if (length == 0) {
            // An empty match is no occurrence: step over it; the byte stays unconsumed.
            buffer.searchFrom = start + 1;
            if (buffer.searchFrom >= chunk.size()) break;
            continue;
        }
        // A match that starts earlier but runs into those bytes may go on past the chunk's
        // end (a run of "x+", a comment to the line end): it is never taken as found until a
        // window holds at least `overlap` bytes after it, or the file's end. The next chunk
        // starts with it, or, for a long one, this window grows.
        if (start + length > deferFrom) {
            if (buffer.CarryFrom(start)) break;
            fill = buffer.Grow(descriptor, reader_);
            if (fill == ReadBuffer::Fill::Error || fill == ReadBuffer::Fill::Full) break;
            continue;
        }
        ++found;
        const std::string_view matched = chunk.substr(start, length);
        NoteFound(matched);
        std::string replacement;
        // "$`" starts where this search did, "$'" ends the overlap after the match.
        const std::size_t suffixEnd = std::min(chunk.size(), start + length + std::size_t{job_.overlap});
        if (!job_.searchOnly) replacement = ReplacementFor(context + buffer.searchFrom, context + suffixEnd, matched);
        ShowContentOccurrence(path, start, length, job_.searchOnly ? nullptr : &replacement);
        if (!job_.searchOnly && state_.running && state_.fileState != kFileAbandoned) {
            state_.output.append(chunk.substr(buffer.position, start - buffer.position));
            ApplyAnswer(matched, replacement, replaced);
            if (diff_ != nullptr) {
                diff_->Same(chunk.substr(buffer.position, start - buffer.position));
                diff_->Replace(matched, replacement);
            }
        }
        if (!state_.processAll) state_.answer = kAnswerNone;
        buffer.position = buffer.searchFrom = start + length;
    }
    return found;
}

void SearchRun::KeepRewrite(std::unique_ptr<ReplacementFile> file, const struct stat& opened, int replaced)
{
    if (replaced == 0) return;
    if (state_.fileState != kFileEnd) {
        state_.droppedConfirmed += replaced;
        return;
    }
    scanned_.rewrite = std::move(file);
    scanned_.opened = opened;
    scanned_.replaced = replaced;
}

void SearchRun::PrepareRewrite(ScannedTarget& target)
{
    ReplacementFile& file = *target.rewrite;
    target.outcome = ReplacementFile::Outcome::Refused;
    if (!file.Reason().empty()) return;
    // The probe only checks access to the entry that is replaced (nothing to wait for); the
    // rename is the real test.
    FileHandle probe;
    if (!probe.WaitReplaceable(seams_.desktop, true, 0, file.Target().c_str())) {
        target.outcome = file.Withdraw(std::strerror(errno));
        return;
    }
    target.outcome = file.Prepare();
}

bool SearchRun::FinishRewrite(ScannedTarget& target)
{
    ReplacementFile& file = *target.rewrite;
    const std::string& path = target.path;
    if (target.outcome == ReplacementFile::Outcome::Ready) target.outcome = file.Swap();
    switch (target.outcome) {
    case ReplacementFile::Outcome::Replaced: {
        state_.replacedTotal += target.replaced;
        struct stat now {};
        if (stat(path.c_str(), &now) == 0) contentDone_.insert(FileIdentity::Of(now).File());
        if (target.opened.st_nlink > 1) Tell({RunNote::Kind::Info, path, runtext::kOtherLinksKeepOld});
        return true;
    }
    case ReplacementFile::Outcome::Changed:
        ReportFailure(runtext::kFileChanged, {RunNote::Kind::Unchanged, path, runtext::kFileChanged});
        return false;
    case ReplacementFile::Outcome::Ready:
    case ReplacementFile::Outcome::Refused: break;
    }
    ReportFailure(runtext::kFileWriteError, {RunNote::Kind::Unchanged, path, file.Reason()});
    return false;
}
