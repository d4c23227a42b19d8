/*
 * CharSet.cpp - membership bitmaps, the shared escape-class sets and the POSIX classes.
 *
 * Classification follows the default single-byte tables: letters are a..z and A..Z,
 * digits 0..9, space the six characters space, tab, line feed, vertical tab, form feed
 * and carriage return; everything from 128 up belongs to no class.
 */
#include "regex/CharSet.h"

#include <cstring>

#include "regex/Pattern.h"

namespace regex {

void char_set::add_folded(unsigned char c, bool nocase)
{
    add(c);
    if (nocase) {
        add(to_upper_ascii(c));
        add(to_lower_ascii(c));
    }
}

void char_set::add_range(unsigned char first, unsigned char last, bool nocase)
{
    for (unsigned c = first; c <= last; ++c)
        add_folded(static_cast<unsigned char>(c), nocase);
}

void char_set::add_set(const char_set& other)
{
    for (int i = 0; i < 4; ++i)
        bits[i] |= other.bits[i];
}

void char_set::keep_only(const char_set& other)
{
    for (int i = 0; i < 4; ++i)
        bits[i] &= other.bits[i];
}

int char_set::only_member() const
{
    int count = 0, member = -1;
    for (int w = 0; w < 4; ++w) {
        count += __builtin_popcountll(bits[w]);
        if (bits[w] != 0)
            member = w * 64 + __builtin_ctzll(bits[w]);
    }
    return count == 1 ? member : -1;
}

void char_set::invert()
{
    for (uint64_t& b : bits)
        b = ~b;
}

namespace {

using class_test = bool (*)(unsigned char);

char_set make_set(class_test test, bool negated)
{
    char_set s;
    for (unsigned c = 0; c < 256; ++c)
        if (test(static_cast<unsigned char>(c)))
            s.add(static_cast<unsigned char>(c));
    if (negated)
        s.invert();
    return s;
}

bool is_cntrl(unsigned char c) { return c < 32 || c == 127; }
bool is_print(unsigned char c) { return c >= 32 && c < 127; }
bool is_graph(unsigned char c) { return c > 32 && c < 127; }
bool is_punct(unsigned char c) { return is_graph(c) && !is_alpha_ascii(c) && !is_digit_ascii(c); }
bool is_blank(unsigned char c) { return c == ' ' || c == '\t'; }
bool is_lower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool is_upper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool is_alnum(unsigned char c) { return is_alpha_ascii(c) || is_digit_ascii(c); }
bool is_xdigit(unsigned char c) { return is_digit_ascii(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

struct posix_class {
    const char* name;  // the name between "[:" and ":]"
    class_test test;   // its members
};

// Looked up in this order; the first whole match wins.
const posix_class posix_classes[] = {
    {"alnum", is_alnum}, {"alpha", is_alpha_ascii}, {"blank", is_blank}, {"cntrl", is_cntrl},
    {"digit", is_digit_ascii}, {"graph", is_graph}, {"lower", is_lower}, {"print", is_print},
    {"punct", is_punct}, {"space", is_space_ascii}, {"upper", is_upper}, {"xdigit", is_xdigit},
};

}  // namespace

const char_set& escape_class_set(char letter)
{
    static const char_set digit = make_set(is_digit_ascii, false);
    static const char_set not_digit = make_set(is_digit_ascii, true);
    static const char_set word = make_set(is_word_ascii, false);
    static const char_set not_word = make_set(is_word_ascii, true);
    static const char_set space = make_set(is_space_ascii, false);
    static const char_set not_space = make_set(is_space_ascii, true);
    switch (letter) {
    case 'd': return digit;
    case 'D': return not_digit;
    case 'w': return word;
    case 'W': return not_word;
    case 's': return space;
    default: return not_space;
    }
}

int control_escape(char letter, std::string_view letters)
{
    static constexpr std::string_view known = "aefnrtv";
    static constexpr char values[] = {7, 27, 12, 10, 13, 9, 11};
    const std::size_t at = known.find(letter);
    if (at == std::string_view::npos || letters.find(letter) == std::string_view::npos)
        return -1;
    return values[at];
}

bool read_posix_class(const char*& p, const char* end, char_set& target)
{
    if (end - p < 2 || p[0] != '[' || p[1] != ':')
        return false;
    const char* q = p + 2;
    bool negated = q < end && *q == '^';
    if (negated)
        ++q;
    for (const posix_class& pc : posix_classes) {
        size_t n = std::strlen(pc.name);
        if (size_t(end - q) >= n + 2 && std::memcmp(q, pc.name, n) == 0 && q[n] == ':' && q[n + 1] == ']') {
            target.add_set(make_set(pc.test, negated));
            p = q + n + 2;
            return true;
        }
    }
    return false;
}

}  // namespace regex

namespace regex {

namespace {

[[noreturn]] void unterminated_set() { throw bad_regexpr("expecting end of character set"); }

// One element read from a bracket expression: a single byte, or a class added directly.
struct set_element {
    bool is_class = false;  // a class escape, already added to the set
    unsigned char ch = 0;   // the byte, when not a class
};

// An escape inside brackets; p points past the backslash.
set_element read_set_escape(const char*& p, const char* end, char_set& set, bool normalize)
{
    if (p >= end)
        unterminated_set();
    char c = *p++;
    set_element e;
    switch (c) {
    case 'd': case 'D': case 'w': case 'W': case 's': case 'S':
        set.add_set(escape_class_set(c));
        e.is_class = true;
        return e;
    case 'b': e.ch = 8; return e;
    case 'e': e.ch = 27; return e;
    case 'x': {
        unsigned value = 0;
        while (p < end && hex_digit_value(*p) >= 0)
            value = (value * 16 + static_cast<unsigned>(hex_digit_value(*p++))) & 0xff;
        e.ch = static_cast<unsigned char>(value);
        return e;
    }
    case 'c':
        if (p >= end)
            unterminated_set();
        e.ch = static_cast<unsigned char>(to_upper_ascii(static_cast<unsigned char>(*p++)) ^ 64);
        return e;
    default:
        break;
    }
    if (c >= '0' && c <= '7') {
        unsigned value = static_cast<unsigned>(c - '0');
        for (int i = 0; i < 2 && p < end && *p >= '0' && *p <= '7'; ++i)
            value = value * 8 + static_cast<unsigned>(*p++ - '0');
        e.ch = static_cast<unsigned char>(value & 0xff);
        return e;
    }
    const int control = normalize ? control_escape(c, "afnrtv") : -1;
    e.ch = static_cast<unsigned char>(control >= 0 ? control : c);
    return e;
}

set_element read_set_element(const char*& p, const char* end, char_set& set, bool normalize)
{
    if (*p == '\\') {
        ++p;
        return read_set_escape(p, end, set, normalize);
    }
    if (read_posix_class(p, end, set))
        return set_element{true, 0};
    return set_element{false, static_cast<unsigned char>(*p++)};
}

}  // namespace

char_set parse_bracket(const char*& p, const char* end, bool nocase, bool normalize)
{
    char_set set;
    bool negated = p < end && *p == '^';
    if (negated)
        ++p;
    bool first = true;
    for (;;) {
        if (p >= end)
            unterminated_set();
        if (*p == ']' && !first)
            break;
        first = false;
        set_element lo = read_set_element(p, end, set, normalize);
        if (lo.is_class)
            continue;
        // A "-" makes a range unless it is last in the set.
        if (end - p >= 2 && p[0] == '-' && p[1] != ']') {
            ++p;
            set_element hi = read_set_element(p, end, set, normalize);
            if (hi.is_class) {
                set.add_folded(lo.ch, nocase);
                set.add('-');
                continue;
            }
            if (hi.ch < lo.ch)
                throw bad_regexpr("invalid range specified in character set");
            set.add_range(lo.ch, hi.ch, nocase);
            continue;
        }
        set.add_folded(lo.ch, nocase);
    }
    ++p;
    if (negated)
        set.invert();
    return set;
}

}  // namespace regex
