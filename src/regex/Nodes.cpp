/*
 * Nodes.cpp - the node arena, and what the pattern analysis asks of every node: its
 * width range and the bytes a match of it can begin with. The literal-prefix searcher
 * lives here too: its table is built once at compile time.
 */
#include "regex/Nodes.h"

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace regex {

namespace {
constexpr size_t arena_block_size = 16384;
}

arena_allocator::~arena_allocator()
{
    for (char* b : blocks_)
        std::free(b);
}

void* arena_allocator::allocate(size_t bytes, size_t align)
{
    size_t pad = (align - reinterpret_cast<uintptr_t>(cursor_) % align) % align;
    if (cursor_ == nullptr || pad + bytes > left_) {
        size_t size = bytes + align > arena_block_size ? bytes + align : arena_block_size;
        char* block = static_cast<char*>(std::malloc(size));
        if (block == nullptr)
            throw bad_allocation();
        try {
            blocks_.push_back(block);
        } catch (const std::bad_alloc&) {
            std::free(block);
            throw bad_allocation();
        }
        cursor_ = block;
        left_ = size;
        pad = (align - reinterpret_cast<uintptr_t>(cursor_) % align) % align;
    }
    char* p = cursor_ + pad;
    cursor_ = p + bytes;
    left_ -= pad + bytes;
    return p;
}

width_range chain_width(const sub_expr* n)
{
    width_range w;
    for (; n != nullptr && !n->terminal(); n = n->next) {
        width_range x = n->width();
        w.min = width_add(w.min, x.min);
        w.max = width_add(w.max, x.max);
    }
    return w;
}

bool chain_first_bytes(const sub_expr* n, char_set& out)
{
    for (; n != nullptr && !n->terminal(); n = n->next)
        if (!n->first_bytes(out))
            return false;
    return true;
}

bool char_node::first_bytes(char_set& out) const
{
    out.add(ch);
    return false;
}

bool nocase_char_node::first_bytes(char_set& out) const
{
    out.add(lower);
    out.add(upper);
    return false;
}

bool string_node::first_bytes(char_set& out) const
{
    out.add(static_cast<unsigned char>(text[0]));
    return false;
}

bool nocase_string_node::first_bytes(char_set& out) const
{
    out.add(static_cast<unsigned char>(lower[0]));
    out.add(static_cast<unsigned char>(upper[0]));
    return false;
}

bool set_node::first_bytes(char_set& out) const
{
    out.add_set(set);
    return false;
}

bool repeat_node::first_bytes(char_set& out) const
{
    out.add_set(set);
    return min == 0;
}

// A back-reference may hold anything, or nothing.
bool backref_node::first_bytes(char_set& out) const
{
    for (uint64_t& b : out.bits)
        b = ~uint64_t(0);
    return true;
}

bool recursion_node::first_bytes(char_set& out) const
{
    for (uint64_t& b : out.bits)
        b = ~uint64_t(0);
    return true;
}

width_range match_group::width() const
{
    width_range w{width_inf, 0};
    for (int i = 0; i < alt_count; ++i) {
        width_range a = chain_width(alts[i]);
        w.min = a.min < w.min ? a.min : w.min;
        w.max = a.max > w.max ? a.max : w.max;
    }
    if (alt_count == 0)
        w.min = 0;
    return w;
}

bool match_group::first_bytes(char_set& out) const
{
    bool nullable = alt_count == 0;
    for (int i = 0; i < alt_count; ++i)
        nullable |= chain_first_bytes(alts[i], out);
    return nullable;
}

width_range group_quantifier::width() const
{
    width_range b = body->width();
    int64_t mx = max == INT32_MAX ? width_inf : max;
    return {width_mul(b.min, min), (mx == width_inf && b.max > 0) ? width_inf : width_mul(b.max, mx)};
}

bool group_quantifier::first_bytes(char_set& out) const
{
    if (max == 0)
        return true;
    return body->first_bytes(out) || min == 0;
}

width_range independent_node::width() const { return body->width(); }

bool independent_node::first_bytes(char_set& out) const { return body->first_bytes(out); }

width_range conditional_node::width() const
{
    width_range y = chain_width(yes);
    width_range n = no ? chain_width(no) : width_range{0, 0};
    return {y.min < n.min ? y.min : n.min, y.max > n.max ? y.max : n.max};
}

bool conditional_node::first_bytes(char_set& out) const
{
    bool nullable = chain_first_bytes(yes, out);
    if (no == nullptr)
        return true;
    return chain_first_bytes(no, out) || nullable;
}

namespace {

// How common a byte is in text and source code, higher for more common: the literal scan
// probes a literal's two rarest bytes, so it stops at few false candidates.
int commonness(unsigned char c)
{
    static const std::string_view by_frequency = " etaoinsrhldcu\nmfpgwybv,.-k_()x;*/=\"'jqz";
    size_t at = by_frequency.find(static_cast<char>(c));
    if (at != std::string_view::npos)
        return 255 - static_cast<int>(at);
    if (is_alpha_ascii(c) || is_digit_ascii(c))
        return 150;
    return c < 128 ? 100 : 50;
}

}  // namespace

void prefix_searcher::build()
{
    flipped = text;
    for (char& c : flipped) {
        unsigned char u = static_cast<unsigned char>(c);
        c = static_cast<char>(is_alpha_ascii(u) ? (u ^ 0x20) : u);
    }
    size_t n = text.size();
    size_t shift = n > 255 ? 255 : n;
    std::memset(skip, static_cast<int>(shift), sizeof skip);
    for (size_t i = n > 255 ? n - 255 : 0; i + 1 < n; ++i) {
        skip[static_cast<unsigned char>(text[i])] = static_cast<unsigned char>(n - 1 - i);
        if (nocase)
            skip[static_cast<unsigned char>(flipped[i])] = static_cast<unsigned char>(n - 1 - i);
    }
    auto rank = [this](size_t i) {
        auto c = static_cast<unsigned char>(text[i]);
        return nocase ? std::max(commonness(to_lower_ascii(c)), commonness(to_upper_ascii(c))) : commonness(c);
    };
    probe1 = 0;
    for (size_t i = 1; i < n; ++i)
        if (rank(i) < rank(probe1))
            probe1 = i;
    probe2 = probe1 == 0 && n > 1 ? 1 : 0;
    for (size_t i = 0; i < n; ++i)
        if (i != probe1 && rank(i) < rank(probe2))
            probe2 = i;
}

namespace {

// Whether the prefix is present at p (both cases of a letter count when nocase).
bool prefix_at(const prefix_searcher& ps, const char* p)
{
    size_t n = ps.text.size();
    if (!ps.nocase)
        return std::memcmp(p, ps.text.data(), n) == 0;
    for (size_t i = n; i-- > 0;)
        if (p[i] != ps.text[i] && p[i] != ps.flipped[i])
            return false;
    return true;
}

// Boyer-Moore-Horspool: compare from the prefix's last character, shift by the table.
const char* horspool_find(const prefix_searcher& ps, const char* from, const char* last_start)
{
    size_t n = ps.text.size();
    for (const char* p = from; p <= last_start;) {
        if (prefix_at(ps, p))
            return p;
        p += ps.skip[static_cast<unsigned char>(p[n - 1])];
    }
    return nullptr;
}

#if defined(__SSE2__)
// Sixteen candidate positions at a time: a position is a candidate when the bytes at the
// prefix's two probe offsets (its rarest bytes) match (letters are compared with bit 5
// set, which makes both cases equal). Candidates are verified.
const char* sse2_find(const prefix_searcher& ps, const char* from, const char* last_start)
{
    auto fold_mask = [&](size_t i) { return is_alpha_ascii(static_cast<unsigned char>(ps.text[i])) && ps.nocase ? 0x20 : 0; };
    const int m0 = fold_mask(ps.probe1), m1 = fold_mask(ps.probe2);
    const __m128i first = _mm_set1_epi8(static_cast<char>(static_cast<unsigned char>(ps.text[ps.probe1]) | m0));
    const __m128i last = _mm_set1_epi8(static_cast<char>(static_cast<unsigned char>(ps.text[ps.probe2]) | m1));
    const __m128i fold0 = _mm_set1_epi8(static_cast<char>(m0));
    const __m128i fold1 = _mm_set1_epi8(static_cast<char>(m1));
    const char* p = from;
    for (; last_start - p >= 15; p += 16) {
        __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + ps.probe1)), fold0);
        __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + ps.probe2)), fold1);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const char* cand = p + __builtin_ctz(mask);
            if (prefix_at(ps, cand))
                return cand;
            mask &= mask - 1;
        }
    }
    return p <= last_start ? horspool_find(ps, p, last_start) : nullptr;
}
#endif

#if defined(__x86_64__)
// The scan of sse2_find thirty-two positions at a time, on processors with AVX2 (the
// build targets the baseline instruction set, so this is chosen at run time).
__attribute__((target("avx2"))) const char* avx2_find(const prefix_searcher& ps, const char* from,
                                                        const char* last_start)
{
    auto fold_mask = [&](size_t i) { return is_alpha_ascii(static_cast<unsigned char>(ps.text[i])) && ps.nocase ? 0x20 : 0; };
    const int m0 = fold_mask(ps.probe1), m1 = fold_mask(ps.probe2);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(static_cast<unsigned char>(ps.text[ps.probe1]) | m0));
    const __m256i second = _mm256_set1_epi8(static_cast<char>(static_cast<unsigned char>(ps.text[ps.probe2]) | m1));
    const __m256i fold0 = _mm256_set1_epi8(static_cast<char>(m0));
    const __m256i fold1 = _mm256_set1_epi8(static_cast<char>(m1));
    const char* p = from;
    for (; last_start - p >= 31; p += 32) {
        __m256i a = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + ps.probe1)), fold0);
        __m256i b = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + ps.probe2)), fold1);
        unsigned mask = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
        while (mask != 0) {
            const char* cand = p + __builtin_ctz(mask);
            if (prefix_at(ps, cand))
                return cand;
            mask &= mask - 1;
        }
    }
    return p <= last_start ? sse2_find(ps, p, last_start) : nullptr;
}

bool has_avx2()
{
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
#endif

}  // namespace

const char* prefix_searcher::find(const char* from, const char* last_start) const
{
    if (from > last_start)
        return nullptr;
    if (text.size() == 1 && !nocase)
        return static_cast<const char*>(std::memchr(from, text[0], static_cast<size_t>(last_start - from) + 1));
#if defined(__x86_64__)
    if (has_avx2())
        return avx2_find(*this, from, last_start);
#endif
#if defined(__SSE2__)
    return sse2_find(*this, from, last_start);
#else
    return horspool_find(*this, from, last_start);
#endif
}

}  // namespace regex

namespace regex {

// Sixteen positions at a time: a position is a candidate for a literal when its first
// and last bytes are in place (letters of a case-folding literal compared with bit 5
// set). Each candidate is verified against the literals it is a candidate for; the tail
// is checked position by position.
const char* multi_prefix::find(const char* from, const char* last, const char* end) const
{
    const char* p = from;
#if defined(__SSE2__)
    size_t longest = 0;
    for (const prefix_searcher& ps : literals)
        longest = ps.text.size() > longest ? ps.text.size() : longest;
    struct probe {
        __m128i first, last;    // the literal's two probe bytes, case bit set where folded
        __m128i fold0, fold1;   // the case bit to set in the subject's bytes
        size_t offset0;         // offsets of the probe bytes in the literal
        size_t offset1;
    };
    probe probes[max_literals];
    size_t count = 0;
    for (const prefix_searcher& ps : literals) {
        size_t i = ps.probe1, j = ps.probe2;
        auto fold = [&](size_t k) { return ps.nocase && is_alpha_ascii(static_cast<unsigned char>(ps.text[k])) ? 0x20 : 0; };
        probes[count++] = {_mm_set1_epi8(static_cast<char>(static_cast<unsigned char>(ps.text[i]) | fold(i))),
                           _mm_set1_epi8(static_cast<char>(static_cast<unsigned char>(ps.text[j]) | fold(j))),
                           _mm_set1_epi8(static_cast<char>(fold(i))), _mm_set1_epi8(static_cast<char>(fold(j))), i, j};
    }
    for (; p <= last && end - p >= static_cast<std::ptrdiff_t>(longest + 15); p += 16) {
        unsigned masks[max_literals];
        unsigned any = 0;
        for (size_t i = 0; i < count; ++i) {
            const probe& pr = probes[i];
            __m128i a = _mm_cmpeq_epi8(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + pr.offset0)), pr.fold0), pr.first);
            __m128i b = _mm_cmpeq_epi8(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + pr.offset1)), pr.fold1), pr.last);
            masks[i] = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(a, b)));
            any |= masks[i];
        }
        for (; any != 0; any &= any - 1) {
            int bit = __builtin_ctz(any);
            const char* cand = p + bit;
            if (cand > last)
                return nullptr;
            for (size_t i = 0; i < count; ++i)
                if (((masks[i] >> bit) & 1) && prefix_at(literals[i], cand))
                    return cand;
        }
    }
#endif
    for (; p <= last; ++p)
        for (const prefix_searcher& ps : literals)
            if (static_cast<size_t>(end - p) >= ps.text.size() && prefix_at(ps, p))
                return p;
    return nullptr;
}

}  // namespace regex
