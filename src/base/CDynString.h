/*
 * CDynString: the program's dynamic 8-bit string. It owns a NUL-terminated buffer or none at
 * all (none and empty differ: many operations given none do nothing), carries a flag saying
 * whether comparisons with it on the left are case-sensitive (only A..Z fold), and keeps an
 * explicit length so that file content with NUL bytes survives every copy. The buffer is a
 * std::string whose size is the allocated size less one; operations that take a source text
 * copy it aside first, so a string may be assigned or appended from its own buffer.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CDynString {
public:
    // Whether comparisons with this string on the left are byte for byte (else A..Z fold).
    bool caseSensitive = false;

    // The index that means "up to the last character" in SetRange and RandomFill.
    static constexpr int kToEnd = 16777215;

    CDynString() = default;
    // A copy of a NUL-terminated text; null gives an empty string (not none).
    // Implicit on purpose, so a text can be passed wherever a dynamic string is taken.
    CDynString(const char* text);
    // A copy of the text a pointer points to; a null pointer or null text gives empty.
    explicit CDynString(const char* const* textPointer);
    // A copy of exactly `length` bytes, NUL bytes included.
    CDynString(const char* data, std::size_t length);
    explicit CDynString(std::string_view text);

    CDynString(const CDynString& other) = default;
    CDynString(CDynString&& other) noexcept;
    CDynString& operator=(const CDynString& other);
    CDynString& operator=(CDynString&& other) noexcept;
    CDynString& operator=(const char* text);

    // The text, or null when there is none.
    const char* GetText() const;
    // The length in bytes (0 for none).
    std::size_t GetLength() const;
    // The text as a view (empty for none).
    std::string_view View() const;
    bool IsNone() const;
    // True for none and for an empty text.
    bool IsEmpty() const;
    // Allocated size in bytes including the final NUL (0 for none).
    std::size_t GetAllocatedSize() const;
    // Writable buffer of GetAllocatedSize() bytes, or null for none. After writing into it,
    // call SetLength to say how much of it is text.
    char* GetBuffer();
    // Sets the text length to n (cut to the allocated size less one) and puts a NUL after it.
    void SetLength(std::size_t n);

    // Makes the buffer exactly n bytes, first and last byte NUL, old content lost; n <= 0
    // frees it (none). Returns the text.
    const char* Reserve(int n);
    // None frees the buffer, otherwise the string becomes a copy of text.
    const char* Assign(const char* text);
    // Copies the other's flag, then its text (none stays none).
    const char* Assign(const CDynString& other);
    // Becomes exactly `length` bytes from data (NUL bytes kept); null data gives none.
    const char* Assign(const char* data, std::size_t length);
    // Appends a NUL-terminated text; null or empty leaves the string unchanged.
    const char* Append(const char* text);
    // Appends exactly `length` bytes; null or zero length leaves the string unchanged.
    const char* Append(const char* data, std::size_t length);
    const char* Append(const CDynString& other);
    // Becomes source[from..to] (inclusive); to >= last index means to the end. A none or
    // empty source, or from beyond the end, leaves the string unchanged.
    const char* SetRange(const char* source, int from, int to);

    // The characters from `from`, at most `count` of them (flag clear).
    CDynString Mid(int from, int count) const;
    CDynString Left(int n) const;
    CDynString Right(int n) const;
    // Removes the last n characters; n < 1 leaves the string.
    const char* DropLast(int n);

    // False when either side is none; otherwise equality by this string's flag.
    bool Equals(const char* text) const;
    bool Equals(const CDynString& other) const;
    // Three-way comparison of the texts by this string's flag (none sorts after any text).
    int Compare(const CDynString& other) const;

    // Decimal text of a signed / unsigned 32-bit value. bufferSize is the size the caller
    // would allow (the program always passes 200); texts never come near it.
    const char* SetInt(std::int32_t value, int bufferSize = 200);
    const char* SetUInt(std::uint32_t value, int bufferSize = 200);

private:
    // The buffer less its final NUL (so its size is the allocated size less one); none if empty.
    std::optional<std::string> buffer_;
    // The text's length; buffer_[length_] is always NUL.
    std::size_t length_ = 0;
};

CDynString operator+(const CDynString& left, const CDynString& right);
CDynString operator+(const CDynString& left, const char* right);

// Compares two byte ranges: byte for byte when caseSensitive, else folding only A..Z.
int CompareTexts(std::string_view left, std::string_view right, bool caseSensitive);
