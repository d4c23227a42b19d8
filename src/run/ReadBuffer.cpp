/*
 * ReadBuffer: chunked reading with a carried tail. Instead of seeking back by the carry and
 * reading it from the file again, the carried bytes (and the context before them) are moved
 * to the front of the buffer and only the rest of the chunk is read; the chunks are the same
 * bytes either way. The chunk always starts overlap bytes into the buffer, so the context
 * moves with it and needs no copy of its own.
 */
#include "run/ReadBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

#include "run/JobSettings.h"

bool ReadBuffer::Allocate(std::uint32_t bufferSize, std::uint32_t overlap)
{
    Free();
    if (!BufferSettingsValid(bufferSize, overlap)) return false;
    overlap_ = overlap;
    if (!Reserve(bufferSize)) return false;
    bufferSize_ = bufferSize;
    StartFile(0);
    return true;
}

void ReadBuffer::Free()
{
    bytes_.reset();
    bufferSize_ = overlap_ = capacity_ = 0;
    StartFile(0);
}

void ReadBuffer::StartFile(std::uint64_t sizeAtOpen)
{
    sizeAtOpen_ = sizeAtOpen;
    size_ = carry_ = context_ = position = searchFrom = 0;
    carryFrom_ = kNoCarryFrom;
    chunkOffset_ = linesCounted_ = countedTo_ = 0;
    descriptor_ = -1;
    // A window grown for the last file is given back (if that fails, it is simply kept).
    if (capacity_ > bufferSize_) Reserve(bufferSize_);
    if (bytes_) bytes_[overlap_] = '\0';
}

bool ReadBuffer::Reserve(std::size_t capacity)
{
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[overlap_ + capacity + 1]);
    if (!bytes) return false;
    if (bytes_) std::memcpy(bytes.get() + overlap_ - context_, bytes_.get() + overlap_ - context_, context_ + size_ + 1);
    bytes_ = std::move(bytes);
    capacity_ = capacity;
    return true;
}

namespace {

// Bytes read at a time when line feeds are counted in the file itself.
constexpr std::size_t kCountBlock = 1 << 16;

}  // namespace

bool ReadBuffer::AtEndOfFile(int descriptor) const
{
    // The chunks are read one after the other, so the file offset is where the chunk ends.
    // Short of the size the file had when it was opened, it cannot be at its end: a file that
    // shrank since gives its end to the next read.
    if (chunkOffset_ + size_ < sizeAtOpen_) return false;
    struct stat st {};
    return fstat(descriptor, &st) == 0 && S_ISREG(st.st_mode) &&
           chunkOffset_ + size_ >= static_cast<std::uint64_t>(st.st_size);
}

ReadBuffer::Fill ReadBuffer::ReadChunk(int descriptor, const ChunkReader& reader)
{
    char* const chunk = bytes_.get() + overlap_;
    // The next chunk starts `next` bytes into this one; what precedes it is this chunk's
    // head and this chunk's own context.
    const std::size_t next = size_ - carry_;
    const std::size_t context = std::min(overlap_, context_ + next);
    std::memmove(chunk - context, chunk + next - context, context + carry_);
    chunkOffset_ += next;
    descriptor_ = descriptor;
    context_ = context;
    size_ = carry_;
    carry_ = position = searchFrom = 0;
    carryFrom_ = kNoCarryFrom;
    return FillTo(bufferSize_, descriptor, reader);
}

ReadBuffer::Fill ReadBuffer::Grow(int descriptor, const ChunkReader& reader)
{
    if (size_ >= kMaxBufferSize) return Fill::Full;
    const std::size_t wanted = std::min<std::size_t>(2 * size_, kMaxBufferSize);
    if (wanted > capacity_ && !Reserve(wanted)) {
        error_ = ENOMEM;
        return Fill::Error;
    }
    return FillTo(wanted, descriptor, reader);
}

ReadBuffer::Fill ReadBuffer::FillTo(std::size_t limit, int descriptor, const ChunkReader& reader)
{
    char* const chunk = bytes_.get() + overlap_;
    Fill outcome = Fill::More;
    while (outcome == Fill::More && size_ < limit) {
        const ssize_t got = reader(descriptor, chunk + size_, limit - size_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error_ = errno;
            outcome = Fill::Error;
        }
        else if (got == 0) outcome = Fill::Last;
        else size_ += static_cast<std::size_t>(got);
    }
    if (outcome == Fill::More && AtEndOfFile(descriptor)) outcome = Fill::Last;
    chunk[size_] = '\0';
    return outcome;
}

std::string_view ReadBuffer::FinishChunk(bool atFileEnd)
{
    if (atFileEnd) carry_ = 0;
    else if (carryFrom_ != kNoCarryFrom) carry_ = size_ - carryFrom_;
    else carry_ = std::min(overlap_, size_ - position);
    const std::size_t handedOnEnd = size_ - carry_;
    const char* const chunk = bytes_.get() + overlap_;
    const std::size_t from = position;
    position = handedOnEnd;
    return {chunk + from, handedOnEnd - from};
}

bool ReadBuffer::CarryFrom(std::size_t from)
{
    if (from < position || size_ - from > bufferSize_ / 2) return false;
    carryFrom_ = from;
    return true;
}

std::uint64_t ReadBuffer::LineOf(std::size_t i)
{
    const std::uint64_t wanted = chunkOffset_ + std::min(i, size_);
    // The file's bytes from `held` on are in memory: the context and the chunk.
    const std::uint64_t held = chunkOffset_ - context_;
    if (wanted < countedTo_) linesCounted_ = countedTo_ = 0;
    if (countedTo_ < held) CountFromFile(held);
    const char* const first = bytes_.get() + overlap_ - context_;
    linesCounted_ += static_cast<std::uint64_t>(std::count(first + (countedTo_ - held), first + (wanted - held), '\n'));
    countedTo_ = wanted;
    return linesCounted_ + 1;
}

void ReadBuffer::CountFromFile(std::uint64_t end)
{
    const std::unique_ptr<char[]> block(new (std::nothrow) char[kCountBlock]);
    while (block && descriptor_ != -1 && countedTo_ < end) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kCountBlock, end - countedTo_));
        const ssize_t got = pread(descriptor_, block.get(), wanted, static_cast<off_t>(countedTo_));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        linesCounted_ += static_cast<std::uint64_t>(std::count(block.get(), block.get() + got, '\n'));
        countedTo_ += static_cast<std::uint64_t>(got);
    }
    countedTo_ = end;
}
