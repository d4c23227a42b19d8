/*
 * CharSet.h - character sets, POSIX classes and case folding for 8-bit text.
 *
 * A set is a 256-bit membership bitmap. Classes named inside brackets ("\d",
 * "[:alpha:]") and ranges are folded into the bitmap when the set is parsed, so a
 * membership test is one bit lookup. Only the ASCII letters have case; bytes 128..255
 * are neither letters, digits nor space.
 */
#pragma once

#include <cstdint>
#include <string_view>

namespace regex {

// Upper- and lower-case forms in the plain single-byte mapping (only a..z and A..Z change).
inline unsigned char to_upper_ascii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
inline unsigned char to_lower_ascii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
inline bool is_alpha_ascii(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
inline bool is_digit_ascii(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool is_space_ascii(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool is_word_ascii(unsigned char c) { return is_alpha_ascii(c) || is_digit_ascii(c) || c == '_'; }
// The control character that a backslash and letter stand for when escapes are normalised
// ("a" 7, "e" 27, "f" 12, "n" 10, "r" 13, "t" 9, "v" 11), provided letters (the escape letters
// known where it appears) holds it; else -1.
int control_escape(char letter, std::string_view letters);
// Value of a hexadecimal digit, or -1.
inline int hex_digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

struct char_set {
    uint64_t bits[4] = {0, 0, 0, 0};  // membership bitmap, negation already applied once finished

    bool test(unsigned char c) const { return (bits[c >> 6] >> (c & 63)) & 1; }
    void add(unsigned char c) { bits[c >> 6] |= uint64_t(1) << (c & 63); }
    // Add c, and under case folding its other case too.
    void add_folded(unsigned char c, bool nocase);
    void add_range(unsigned char first, unsigned char last, bool nocase);
    void add_set(const char_set& other);
    // Drop the members other lacks.
    void keep_only(const char_set& other);
    void invert();
    bool operator==(const char_set&) const = default;
    bool all() const { return (bits[0] & bits[1] & bits[2] & bits[3]) == ~uint64_t(0); }
    // The set's only member, or -1 when it has none or several.
    int only_member() const;
};

// The shared set of an escape class: one of 'd', 'D', 'w', 'W', 's', 'S'.
const char_set& escape_class_set(char letter);

// Try to read a POSIX class name ("[:alpha:]", "[:^alpha:]") at p; on success add its
// members to target, advance p past it and return true. A name that is not written whole
// leaves p alone and returns false (the characters are then taken literally).
bool read_posix_class(const char*& p, const char* end, char_set& target);

}  // namespace regex

namespace regex {

// Parse a bracket expression; p points just past the "[" and is left past the "]".
// Throws bad_regexpr for a reversed range or a missing "]".
char_set parse_bracket(const char*& p, const char* end, bool nocase, bool normalize);

}  // namespace regex
