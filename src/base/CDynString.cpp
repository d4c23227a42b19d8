/*
 * CDynString operations. Every operation that takes a source text builds the new content in
 * a fresh std::string before replacing the buffer, which makes assigning or appending from
 * the string's own buffer safe. Lengths are explicit throughout, so NUL bytes are content.
 */
#include "base/CDynString.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace {

char FoldAtoZ(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Clamps a signed index into [0, limit].
std::size_t Clamp(int value, std::size_t limit)
{
    if (value <= 0)
        return 0;
    return std::min(static_cast<std::size_t>(value), limit);
}

// Assigns a number's decimal text, unless a buffer of bufferSize bytes could not hold it
// with its NUL: then the string stays as it was.
const char* AssignDecimal(CDynString& target, const std::string& text, int bufferSize)
{
    if (bufferSize <= static_cast<int>(text.size()))
        return target.GetText();
    return target.Assign(text.data(), text.size());
}

}  // namespace

int CompareTexts(std::string_view left, std::string_view right, bool caseSensitive)
{
    std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        // Equal bytes are equal folded too; sorted paths share long prefixes, so this test
        // decides most positions without folding.
        if (left[i] == right[i])
            continue;
        unsigned char a = static_cast<unsigned char>(caseSensitive ? left[i] : FoldAtoZ(left[i]));
        unsigned char b = static_cast<unsigned char>(caseSensitive ? right[i] : FoldAtoZ(right[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

CDynString::CDynString(const char* text)
{
    Assign(text != nullptr ? text : "");
}

CDynString::CDynString(const char* const* textPointer)
    : CDynString(textPointer != nullptr ? *textPointer : nullptr)
{
}

CDynString::CDynString(const char* data, std::size_t length)
{
    Assign(data != nullptr ? data : "", data != nullptr ? length : 0);
}

CDynString::CDynString(std::string_view text)
{
    Assign(text.data() != nullptr ? text.data() : "", text.size());
}

CDynString::CDynString(CDynString&& other) noexcept
    : caseSensitive(other.caseSensitive),
      buffer_(std::move(other.buffer_)),
      length_(other.length_)
{
    other.buffer_.reset();
    other.length_ = 0;
}

CDynString& CDynString::operator=(const CDynString& other)
{
    Assign(other);
    return *this;
}

CDynString& CDynString::operator=(CDynString&& other) noexcept
{
    if (this != &other) {
        caseSensitive = other.caseSensitive;
        buffer_ = std::move(other.buffer_);
        length_ = other.length_;
        other.buffer_.reset();
        other.length_ = 0;
    }
    return *this;
}

CDynString& CDynString::operator=(const char* text)
{
    Assign(text);
    return *this;
}

const char* CDynString::GetText() const
{
    return buffer_ ? buffer_->c_str() : nullptr;
}

std::size_t CDynString::GetLength() const
{
    return length_;
}

std::string_view CDynString::View() const
{
    return buffer_ ? std::string_view(buffer_->data(), length_) : std::string_view();
}

bool CDynString::IsNone() const
{
    return !buffer_;
}

bool CDynString::IsEmpty() const
{
    return length_ == 0;
}

std::size_t CDynString::GetAllocatedSize() const
{
    return buffer_ ? buffer_->size() + 1 : 0;
}

char* CDynString::GetBuffer()
{
    return buffer_ ? buffer_->data() : nullptr;
}

void CDynString::SetLength(std::size_t n)
{
    if (!buffer_)
        return;
    length_ = std::min(n, buffer_->size());
    (*buffer_)[length_] = '\0';
}

const char* CDynString::Reserve(int n)
{
    length_ = 0;
    if (n <= 0) {
        buffer_.reset();
        return nullptr;
    }
    buffer_.emplace(static_cast<std::size_t>(n) - 1, '\0');
    return GetText();
}

const char* CDynString::Assign(const char* text)
{
    if (text == nullptr) {
        buffer_.reset();
        length_ = 0;
        return nullptr;
    }
    return Assign(text, std::strlen(text));
}

const char* CDynString::Assign(const CDynString& other)
{
    if (this == &other)
        return GetText();
    caseSensitive = other.caseSensitive;
    if (other.IsNone()) {
        buffer_.reset();
        length_ = 0;
        return nullptr;
    }
    return Assign(other.GetText(), other.GetLength());
}

const char* CDynString::Assign(const char* data, std::size_t length)
{
    if (data == nullptr) {
        buffer_.reset();
        length_ = 0;
        return nullptr;
    }
    std::string copy(data, length);
    buffer_ = std::move(copy);
    length_ = length;
    return GetText();
}

const char* CDynString::Append(const char* text)
{
    if (text == nullptr)
        return GetText();
    return Append(text, std::strlen(text));
}

const char* CDynString::Append(const char* data, std::size_t length)
{
    if (data == nullptr || length == 0)
        return GetText();
    std::string joined;
    joined.reserve(length_ + length);
    joined.append(View());
    joined.append(data, length);
    length_ = joined.size();
    buffer_ = std::move(joined);
    return GetText();
}

const char* CDynString::Append(const CDynString& other)
{
    return Append(other.GetText(), other.GetLength());
}

const char* CDynString::SetRange(const char* source, int from, int to)
{
    if (source == nullptr)
        return GetText();
    // A source inside this string's own buffer carries our explicit length; any other
    // source is a NUL-terminated text.
    const char* own = GetText();
    std::less_equal<const char*> atOrBefore;
    bool inside = own != nullptr && atOrBefore(own, source) && atOrBefore(source, own + length_);
    std::size_t sourceLength = inside ? length_ - static_cast<std::size_t>(source - own)
                                      : std::strlen(source);
    std::size_t first = Clamp(from, sourceLength);
    if (sourceLength == 0 || first >= sourceLength)
        return GetText();
    std::size_t last = to < 0 ? 0 : std::min(static_cast<std::size_t>(to), sourceLength - 1);
    if (last < first)
        return Assign("");
    return Assign(source + first, last - first + 1);
}

CDynString CDynString::Mid(int from, int count) const
{
    CDynString result("");
    std::size_t first = Clamp(from, length_);
    std::size_t n = Clamp(count, length_ - first);
    if (buffer_ && n > 0)
        result.Assign(buffer_->data() + first, n);
    return result;
}

CDynString CDynString::Left(int n) const
{
    return Mid(0, n);
}

CDynString CDynString::Right(int n) const
{
    std::size_t take = Clamp(n, length_);
    return Mid(static_cast<int>(length_ - take), static_cast<int>(take));
}

const char* CDynString::DropLast(int n)
{
    if (n < 1 || !buffer_)
        return GetText();
    SetLength(length_ - Clamp(n, length_));
    return GetText();
}

bool CDynString::Equals(const char* text) const
{
    if (text == nullptr || IsNone())
        return false;
    return CompareTexts(View(), std::string_view(text), caseSensitive) == 0;
}

bool CDynString::Equals(const CDynString& other) const
{
    if (other.IsNone() || IsNone())
        return false;
    return CompareTexts(View(), other.View(), caseSensitive) == 0;
}

int CDynString::Compare(const CDynString& other) const
{
    if (IsNone() || other.IsNone())
        return IsNone() == other.IsNone() ? 0 : (IsNone() ? 1 : -1);
    return CompareTexts(View(), other.View(), caseSensitive);
}

const char* CDynString::SetInt(std::int32_t value, int bufferSize)
{
    return AssignDecimal(*this, std::to_string(value), bufferSize);
}

const char* CDynString::SetUInt(std::uint32_t value, int bufferSize)
{
    return AssignDecimal(*this, std::to_string(value), bufferSize);
}

CDynString operator+(const CDynString& left, const CDynString& right)
{
    CDynString result(left);
    if (result.IsNone())
        result.Assign("");
    result.Append(right);
    return result;
}

CDynString operator+(const CDynString& left, const char* right)
{
    CDynString result(left);
    if (result.IsNone())
        result.Assign("");
    result.Append(right);
    return result;
}
