/*
 * Substitution.cpp - the substitution language: escape normalisation, parsing into
 * pieces, building one match's replacement, and substitute.
 *
 * A substitution text is parsed once into literal, group-reference and case-operation
 * pieces. Substitute searches the original text and writes the result into a new
 * string (unmatched text copied, each match replaced by the expansion of the pieces),
 * so every match is found in the text as it was given and the work stays linear in the
 * text's length however many matches are replaced.
 */
#include "regex/Nodes.h"

namespace regex {

namespace {

// C-style escapes to characters; four backslashes become two. Other escapes are left
// for the parser, and an escaped backslash protects the character after it.
std::string normalize_escapes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i++];
            continue;
        }
        const int control = control_escape(text[i + 1], "aefnrtv");
        if (control >= 0) {
            out += static_cast<char>(control);
            i += 2;
        } else if (text.compare(i, 4, "\\\\\\\\") == 0) {
            out += "\\\\";
            i += 4;
        } else {
            out.append(text, i, 2);
            i += 2;
        }
    }
    return out;
}

void add_literal(std::vector<subst_piece>& pieces, size_t offset)
{
    if (!pieces.empty() && pieces.back().kind == subst_piece::literal &&
        static_cast<size_t>(pieces.back().value + pieces.back().length) == offset) {
        ++pieces.back().length;
        return;
    }
    pieces.push_back({subst_piece::literal, static_cast<int>(offset), 1});
}

void add_case(std::vector<subst_piece>& pieces, subst_piece::case_t op)
{
    pieces.push_back({subst_piece::case_op, op, 0});
}

// "$..." at text[i] (the dollar); returns the index after it.
size_t parse_dollar(const std::string& text, size_t i, int group_count, std::vector<subst_piece>& pieces)
{
    size_t j = i + 1;
    if (j < text.size() && is_digit_ascii(static_cast<unsigned char>(text[j]))) {
        int64_t n = 0;
        while (j < text.size() && is_digit_ascii(static_cast<unsigned char>(text[j]))) {
            n = n * 10 + (text[j++] - '0');
            if (n >= group_count)
                n = group_count;
        }
        if (n >= group_count)
            throw bad_regexpr("invalid backreference in substitution");
        pieces.push_back({subst_piece::group, static_cast<int>(n), 0});
        return j;
    }
    char c = j < text.size() ? text[j] : '\0';
    if (c == '&' || c == '`' || c == '\'') {
        pieces.push_back({subst_piece::group, c == '&' ? 0 : (c == '`' ? -1 : -2), 0});
        return j + 1;
    }
    pieces.push_back({subst_piece::group, 0, 0});
    return j;
}

// "\..." at text[i] (the backslash); returns the index after it.
size_t parse_backslash(const std::string& text, size_t i, std::vector<subst_piece>& pieces)
{
    if (i + 1 == text.size())
        throw bad_regexpr("expecting escape sequence in substitution string");
    char c = text[i + 1];
    switch (c) {
    case 'U': add_case(pieces, subst_piece::upper_all); return i + 2;
    case 'L': add_case(pieces, subst_piece::lower_all); return i + 2;
    case 'u': add_case(pieces, subst_piece::upper_next); return i + 2;
    case 'l': add_case(pieces, subst_piece::lower_next); return i + 2;
    case 'E': add_case(pieces, subst_piece::end_case); return i + 2;
    case 'Q': {
        size_t close = text.find("\\E", i + 2);
        size_t stop = close == std::string::npos ? text.size() : close;
        if (stop > i + 2)
            pieces.push_back({subst_piece::literal, static_cast<int>(i + 2), static_cast<int>(stop - i - 2)});
        if (close == std::string::npos)
            return text.size();
        add_case(pieces, subst_piece::end_case);
        return close + 2;
    }
    default:
        add_literal(pieces, i + 1);
        return i + 2;
    }
}

void convert_case(char* p, size_t n, bool upper)
{
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        p[i] = static_cast<char>(upper ? to_upper_ascii(c) : to_lower_ascii(c));
    }
}

}  // namespace

void Pattern::set_substitution(const std::string& text)
{
    std::string normalized = (flags_ & NORMALIZE) ? normalize_escapes(text) : text;
    std::vector<subst_piece> pieces;
    for (size_t i = 0; i < normalized.size();) {
        char c = normalized[i];
        if (c == '$') {
            i = parse_dollar(normalized, i, group_count_, pieces);
        } else if (c == '\\') {
            i = parse_backslash(normalized, i, pieces);
        } else {
            add_literal(pieces, i++);
        }
    }
    substitution_ = std::move(normalized);
    pieces_ = std::move(pieces);
}

void Pattern::build_replacement(std::string& out, const MatchResults& results, const char* prefix_begin,
                                const char* suffix_end) const
{
    enum class mode { none, upper, lower };
    mode all = mode::none;
    mode next = mode::none;
    const backref_tag& whole = results.at(0);
    for (const subst_piece& piece : pieces_) {
        if (piece.kind == subst_piece::case_op) {
            switch (piece.value) {
            case subst_piece::upper_all: all = mode::upper; break;
            case subst_piece::lower_all: all = mode::lower; break;
            case subst_piece::upper_next: next = mode::upper; break;
            case subst_piece::lower_next: next = mode::lower; break;
            default: all = mode::none; break;
            }
            continue;
        }
        size_t at = out.size();
        if (piece.kind == subst_piece::literal) {
            out.append(substitution_, static_cast<size_t>(piece.value), static_cast<size_t>(piece.length));
        } else if (piece.value == -1) {
            if (prefix_begin < whole.first)
                out.append(prefix_begin, whole.first);
        } else if (piece.value == -2) {
            if (whole.second < suffix_end)
                out.append(whole.second, suffix_end);
        } else {
            const backref_tag& g = results.at(static_cast<size_t>(piece.value));
            if (g.matched)
                out.append(g.first, g.second);
        }
        size_t inserted = out.size() - at;
        if (inserted == 0)
            continue;  // a pending one-shot conversion waits for a piece that inserts something
        if (all != mode::none)
            convert_case(&out[at], inserted, all == mode::upper);
        if (next != mode::none) {
            convert_case(&out[at], 1, next == mode::upper);
            next = mode::none;
        }
    }
}

std::string Pattern::expand(const MatchResults& results, const char* prefix_begin, const char* suffix_end) const
{
    std::string out;
    if (results.size() > 0 && results.at(0).matched)
        build_replacement(out, results, prefix_begin, suffix_end);
    return out;
}

int Pattern::substitute(std::string& s, size_t start, size_t len, MatchResults& results) const
{
    if (start > s.size())
        start = s.size();
    size_t stop = (len == std::string::npos || len > s.size() - start) ? s.size() : start + len;
    const char* begin = s.data() + start;
    const char* end = s.data() + stop;
    std::string out;
    const char* copied = begin;
    const char* from = begin;
    const char* forbid = nullptr;
    int count = 0;
    while (from <= end && search(begin, end, from, forbid, results)) {
        const backref_tag m = results.at(0);
        out.append(copied, m.first);
        build_replacement(out, results, begin, end);
        copied = m.second;
        ++count;
        if (!(flags_ & GLOBAL))
            break;
        forbid = m.first == m.second ? m.second : nullptr;
        from = m.second;
    }
    // A search that stopped early leaves the text as it was (results say why).
    if (count == 0 || results.stopped() != search_stop::none)
        return 0;
    std::string result;
    result.reserve(start + out.size() + static_cast<size_t>(s.data() + s.size() - copied));
    result.append(s, 0, start).append(out).append(copied, static_cast<const char*>(s.data() + s.size()));
    s.swap(result);
    // The records pointed into the old text.
    if (flags_ & NOBACKREFS)
        results.release();
    else
        results.reset();
    return count;
}

}  // namespace regex
