/*
 * ReadBuffer: the chunk of a file a content scan works on. A file is read in chunks of the
 * buffer size; the unconsumed tail of a chunk (at most the overlap) is moved to the front and
 * read again as the start of the next chunk, so an occurrence that begins near a chunk's end
 * is found whole in the next one, and exactly once because a handled occurrence is always
 * consumed. Chunk bytes are handled with explicit lengths: NUL bytes are data like any other.
 * Up to the overlap of the file's bytes that precede a chunk stay in front of it as context,
 * so that "^", "\A", "\b" and look-behind at the chunk's first bytes are judged by the bytes
 * really there; the context is only looked at, never searched or handed on again.
 *
 * A match that runs into the chunk's last `overlap` bytes might go on past them. If it starts
 * in the chunk's last half, the next chunk simply starts with it (CarryFrom); a longer one
 * makes the scan grow the window: Grow reads more of the file onto the end of the chunk,
 * doubling it, up to the 1 GiB limit. The next chunk has the configured size again, and the
 * memory of a grown window is given back when the next file starts, so memory stays flat for
 * ordinary files and grows only as far as one long match needs.
 *
 * Line numbers are counted only when one is asked for (an occurrence that is shown): the
 * line feeds from the last counted point up to the occurrence, read back from the file for
 * the stretch that is no longer in memory. A run that shows no occurrence counts nothing.
 *
 * The three cursors are where bytes get lost or doubled, so each states its invariant:
 * bytes before `position` have been handed on (to the rewritten text), `searchFrom` is where
 * the next search starts, and the carry is what the next chunk starts with.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include <sys/types.h>

// Reads up to n bytes from a descriptor into a buffer, as read(2) does.
using ChunkReader = std::function<ssize_t(int descriptor, char* buffer, std::size_t n)>;

class ReadBuffer {
public:
    // How reading a chunk ended.
    enum class Fill {
        More,   // the chunk is full and the file goes on
        Last,   // the chunk holds the file's last bytes (possibly none)
        Error,  // the file could not be read (Error() says why)
        Full,   // Grow only: the window is at its largest and the file goes on
    };

    // Makes room for chunks of bufferSize bytes that carry at most overlap bytes and keep at
    // most overlap bytes of context before them; false when the sizes break
    // 0 < overlap < bufferSize <= 1 GiB or the memory is not there.
    bool Allocate(std::uint32_t bufferSize, std::uint32_t overlap);
    // Gives the memory back.
    void Free();

    // Starts a new file of sizeAtOpen bytes (its size when it was opened; it may still grow):
    // nothing carried, no line counted.
    void StartFile(std::uint64_t sizeAtOpen);
    // Moves the carried tail, with the context before it, to the front and fills the chunk
    // from descriptor. Resets position and searchFrom.
    Fill ReadChunk(int descriptor, const ChunkReader& reader);
    // Doubles the chunk by reading the file's next bytes onto its end: More or Last as
    // ReadChunk says, Error, or Full when the chunk cannot grow past kMaxBufferSize.
    Fill Grow(int descriptor, const ChunkReader& reader);
    // Makes the next chunk start at chunk index `from` (not before position), unless that
    // would carry more than half the buffer size; whether it will.
    bool CarryFrom(std::size_t from);
    // Ends the chunk: at the file's end nothing is carried, otherwise the bytes from the
    // CarryFrom index, or else the unconsumed bytes up to the overlap, start the next chunk. Returns the consumed-but-not-handed-on
    // bytes [position, size - carry) that will not be read again.
    std::string_view FinishChunk(bool atFileEnd);

    // The current chunk; Chunk().data()[Chunk().size()] is a NUL byte.
    std::string_view Chunk() const { return {bytes_.get() + overlap_, size_}; }
    // The context and the chunk: the chunk starts ContextLength() bytes into it.
    std::string_view WithContext() const { return {bytes_.get() + overlap_ - context_, context_ + size_}; }
    std::size_t ContextLength() const { return context_; }
    // The errno of the last Fill::Error.
    int Error() const { return error_; }
    // The 1-based line number of chunk index i in the whole file.
    std::uint64_t LineOf(std::size_t i);

    // Bytes [0, position) of the chunk have been handed on; position <= searchFrom <= Chunk().size().
    std::size_t position = 0;
    // Where the next search of the chunk starts; it passes position only by stepping over
    // an empty match, and those stepped-over bytes are still handed on later.
    std::size_t searchFrom = 0;

private:
    // Reserves room for chunks of `capacity` bytes, keeping the context and the chunk; false
    // when the memory is not there.
    bool Reserve(std::size_t capacity);
    // Reads from descriptor onto the chunk's end until it holds `limit` bytes or the file ends.
    Fill FillTo(std::size_t limit, int descriptor, const ChunkReader& reader);
    // Counts the line feeds of the file's bytes [countedTo_, end), which have left the buffer,
    // by reading them again; a stretch that cannot be read is counted as holding none.
    void CountFromFile(std::uint64_t end);
    // Whether the file read from descriptor ends where the chunk ends.
    bool AtEndOfFile(int descriptor) const;

    // overlap_ + capacity_ + 1 bytes: room for the context, the chunk (always at offset
    // overlap_) and a NUL after it.
    std::unique_ptr<char[]> bytes_;
    // The most a chunk may hold now: bufferSize_ unless the window grew for this file.
    std::size_t capacity_ = 0;
    // The chunk size; size_ <= bufferSize_.
    std::size_t bufferSize_ = 0;
    // The most a chunk carries into the next; overlap_ < bufferSize_.
    std::size_t overlap_ = 0;
    // Bytes of the current chunk, the carried ones included.
    std::size_t size_ = 0;
    // Bytes at the end of the chunk that start the next one; carry_ <= max(overlap_,
    // bufferSize_ / 2) and carry_ <= size_ - position.
    std::size_t carry_ = 0;
    // Where the next chunk starts if CarryFrom chose it, else kNoCarryFrom; position <= it.
    static constexpr std::size_t kNoCarryFrom = static_cast<std::size_t>(-1);
    std::size_t carryFrom_ = kNoCarryFrom;
    // Bytes right before the chunk that are the file's bytes preceding it; context_ <= overlap_,
    // and 0 exactly for a file's first chunk.
    std::size_t context_ = 0;
    // The errno of the last failed read or allocation.
    int error_ = 0;
    // The file offset of the chunk's first byte.
    std::uint64_t chunkOffset_ = 0;
    // The file's size when it was opened: no chunk ending before it is the last.
    std::uint64_t sizeAtOpen_ = 0;
    // Line feeds in the file's bytes [0, countedTo_); countedTo_ only grows within a file,
    // and only when a line number is asked for.
    std::uint64_t linesCounted_ = 0;
    std::uint64_t countedTo_ = 0;
    // The descriptor of the file being read; -1 before its first chunk.
    int descriptor_ = -1;
};
