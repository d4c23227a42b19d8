/*
 * ScanContent: one file's content, chunk by chunk. Each chunk is searched from where the
 * last occurrence ended; every occurrence is shown and answered, and in replace mode the
 * chunk's rewritten text (unmatched bytes, kept occurrences, replacements) goes to a
 * ReplacementFile that takes the target's place only when the whole file went through.
 * Skipping the file, cancelling, a read error or a failed write leave the target as it was.
 * The subject of every search begins with the context the buffer keeps before the chunk, so
 * a match is judged by the bytes before it even at a chunk's start or right after another
 * match; only the search itself starts where the last occurrence ended.
 */
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "base/Paths.h"
#include "run/RunTexts.h"
#include "run/SearchRun.h"

// The time the writability probe may take before a file is replaced.
static constexpr int kReplaceProbeMs = 200;

int SearchRun::ScanContent(const std::string& path)
{
    const bool searchOnly = job_.searchOnly;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // A file that cannot be opened has no bytes to search.
    if (fd == -1) return 0;
    ReplacementFile rewrite;
    const bool created = searchOnly || rewrite.Create(path);
    int count = 0;
    int replaced = 0;
    bool readFailed = false;
    state_.fileState = kFileReading;
    ReadBuffer& buffer = state_.readBuffer;
    buffer.StartFile();
    while (state_.running) {
        const ReadBuffer::Fill fill = buffer.ReadChunk(fd, reader_);
        if (fill == ReadBuffer::Fill::Error) {
            readFailed = true;
            state_.fileState = kFileAbandoned;
            break;
        }
        state_.output.clear();
        const bool atEnd = fill == ReadBuffer::Fill::Last;
        count += SearchChunk(path, atEnd, replaced);
        const std::string_view rest = buffer.FinishChunk(atEnd);
        if (atEnd && state_.fileState == kFileReading) state_.fileState = kFileEnd;
        if (!searchOnly && state_.fileState != kFileAbandoned) {
            rewrite.Write(state_.output);
            rewrite.Write(rest);
        }
        if (state_.fileState != kFileReading) break;
    }
    close(fd);
    if (readFailed) ReportFailure(runtext::kFileWriteError);
    else if (!searchOnly) FinishRewrite(rewrite, path, created, count, replaced);
    return count;
}

int SearchRun::SearchChunk(const std::string& path, bool lastChunk, int& replaced)
{
    ReadBuffer& buffer = state_.readBuffer;
    const std::string_view chunk = buffer.Chunk();
    const std::string_view subject = buffer.WithContext();
    const std::size_t context = buffer.ContextLength();
    // Unless the file ends here, a match starting in the last `overlap` bytes is left for the
    // next chunk, which starts with those bytes and sees what follows them: cut at the chunk
    // end, a match such as an e-mail address, or one ending in "\b" or "$", could be shorter
    // than the one the whole file holds.
    const std::size_t deferFrom = lastChunk ? chunk.size() + 1 : chunk.size() - job_.overlap;
    int found = 0;
    while (state_.fileState == kFileReading && state_.running) {
        state_.matches.t_DeleteList();
        const int hits = state_.regex.FindAll(subject.data(), subject.size(), &state_.matches, context + buffer.searchFrom, 0);
        if (hits < 0 && state_.regex.GetSearchStop() != regex::search_stop::none) {
            // Never taken as "no more matches": the file is abandoned, nothing is written.
            state_.fileState = kFileAbandoned;
            ReportFailure(runtext::kSearchStopped);
        }
        if (hits <= 0)
            break;
        const std::size_t start = static_cast<std::size_t>(state_.matches.head->element.offset) - context;
        const std::size_t length = static_cast<std::size_t>(state_.matches.head->element.length);
        if (start >= deferFrom) break;
        if (length == 0) {
            // An empty match is no occurrence: step over it; the byte stays unconsumed.
            buffer.searchFrom = start + 1;
            if (buffer.searchFrom >= chunk.size()) break;
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
        }
        if (!state_.processAll) state_.answer = kAnswerNone;
        buffer.position = buffer.searchFrom = start + length;
    }
    return found;
}

void SearchRun::FinishRewrite(ReplacementFile& file, const std::string& path, bool created, int count,
                              int replaced)
{
    if (count == 0 || replaced == 0 || state_.fileState != kFileEnd) return file.Discard();
    FileHandle probe;
    if (!created || !probe.WaitReplaceable(seams_.desktop, true, kReplaceProbeMs, path.c_str()) || !file.Commit()) {
        file.Discard();
        ReportFailure(runtext::kFileWriteError);
    }
}
