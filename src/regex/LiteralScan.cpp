/*
 * LiteralScan.cpp - the literal scans of LiteralScan.h: tables built once at compile time,
 * and one scan loop per kind written once for any vector width.
 *
 * The vector loops are templates over the operations of VectorOps.h, each instantiated
 * inside a wrapper function compiled for its instruction set. Positions the vector loop
 * cannot cover (near the subject end) are checked one by one.
 */
#include "regex/LiteralScan.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>

#include "regex/CharSet.h"

#include "regex/VectorOps.h"

namespace regex {

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

// Whether one of the literals whose bucket is in `buckets` starts at p and ends by end.
bool literal_at(const multi_prefix& m, const char* p, const char* end, unsigned buckets)
{
    for (size_t i = 0; i < m.literals.size(); ++i)
        if ((m.bucket[i] & buckets) != 0 && static_cast<size_t>(end - p) >= m.literals[i].text.size() &&
            prefix_at(m.literals[i], p))
            return true;
    return false;
}

// Position by position, from p to last: every literal is tried.
const char* multi_find_bytewise(const multi_prefix& m, const char* p, const char* last, const char* end)
{
    for (; p <= last; ++p)
        if (literal_at(m, p, end, 0xff))
            return p;
    return nullptr;
}

// The bit that folds the case of the literal's byte at i, where a letter folds.
char fold_bit(const prefix_searcher& ps, size_t i)
{
    return ps.nocase && is_alpha_ascii(static_cast<unsigned char>(ps.text[i])) ? 0x20 : 0;
}

#if defined(__x86_64__)

// One literal, V::width candidate positions at a time: a position is a candidate when the
// bytes at the literal's two probe offsets (its rarest bytes) are in place (letters of a
// case-folding literal compared with bit 5 set, which makes both cases equal). Candidates
// are verified; the last few positions go to the Horspool scan.
template <class V>
const char* probe_find(const prefix_searcher& ps, const char* from, const char* last_start)
{
    const char f1 = fold_bit(ps, ps.probe1), f2 = fold_bit(ps, ps.probe2);
    const auto byte1 = V::splat(static_cast<char>(ps.text[ps.probe1] | f1));
    const auto byte2 = V::splat(static_cast<char>(ps.text[ps.probe2] | f2));
    const auto fold1 = V::splat(f1), fold2 = V::splat(f2);
    auto candidates = [&](const char* at) {
        return V::both(V::equal(V::either(V::load(at + ps.probe1), fold1), byte1),
                       V::equal(V::either(V::load(at + ps.probe2), fold2), byte2));
    };
    auto verify = [&](const char* at, uint32_t mask) -> const char* {
        for (; mask != 0; mask &= mask - 1)
            if (prefix_at(ps, at + __builtin_ctz(mask)))
                return at + __builtin_ctz(mask);
        return nullptr;
    };
    const char* p = from;
    // Two vectors a step: most steps hold no candidate, and one test says so for both.
    for (; last_start - p >= 2 * V::width - 1; p += 2 * V::width) {
        const auto near = candidates(p), far = candidates(p + V::width);
        if (V::mask(V::either(near, far)) == 0)
            continue;
        if (const char* found = verify(p, V::mask(near)))
            return found;
        if (const char* found = verify(p + V::width, V::mask(far)))
            return found;
    }
    for (; last_start - p >= V::width - 1; p += V::width)
        if (const char* found = verify(p, V::mask(candidates(p))))
            return found;
    return p <= last_start ? horspool_find(ps, p, last_start) : nullptr;
}

// Several literals, V::width candidate positions at a time: for each of the leading
// fingerprint bytes, the low and the high nibble of the subject byte each look up the
// buckets that allow it; a position is a candidate for the buckets all lookups agree on,
// and only the literals of those buckets are verified there.
template <class V>
const char* fingerprint_find(const multi_prefix& m, const char* p, const char* last, const char* end)
{
    typename V::vec low[fingerprint_bytes], high[fingerprint_bytes];
    for (size_t j = 0; j < fingerprint_bytes; ++j) {
        low[j] = V::table(m.low_nibble[j]);
        high[j] = V::table(m.high_nibble[j]);
    }
    const auto none = V::splat(0);
    constexpr std::ptrdiff_t reach = V::width + fingerprint_bytes - 1;
    for (; p <= last && end - p >= reach; p += V::width) {
        auto buckets = V::splat(static_cast<char>(0xff));
        for (size_t j = 0; j < fingerprint_bytes; ++j)
            buckets = V::both(buckets, simd::classify<V>(V::load(p + j), low[j], high[j]));
        uint32_t mask = ~V::mask(V::equal(buckets, none)) & static_cast<uint32_t>((uint64_t(1) << V::width) - 1);
        if (mask == 0)
            continue;
        uint8_t at[V::width];
        V::store(at, buckets);
        for (; mask != 0; mask &= mask - 1) {
            int i = __builtin_ctz(mask);
            if (p + i > last)
                return nullptr;
            if (literal_at(m, p + i, end, at[i]))
                return p + i;
        }
    }
    return multi_find_bytewise(m, p, last, end);
}

__attribute__((flatten)) const char* probe_find_sse2(const prefix_searcher& ps, const char* from, const char* last)
{
    return probe_find<simd::vec128>(ps, from, last);
}

__attribute__((target("avx2"), flatten)) const char* probe_find_avx2(const prefix_searcher& ps, const char* from,
                                                                      const char* last)
{
    return probe_find<simd::vec256>(ps, from, last);
}

__attribute__((target("ssse3"), flatten)) const char* fingerprint_find_ssse3(const multi_prefix& m, const char* p,
                                                                             const char* last, const char* end)
{
    return fingerprint_find<simd::vec128>(m, p, last, end);
}

__attribute__((target("avx2"), flatten)) const char* fingerprint_find_avx2(const multi_prefix& m, const char* p,
                                                                           const char* last, const char* end)
{
    return fingerprint_find<simd::vec256>(m, p, last, end);
}

#endif

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

const char* prefix_searcher::find(const char* from, const char* last_start) const
{
    if (from > last_start)
        return nullptr;
    if (text.size() == 1 && !nocase)
        return static_cast<const char*>(std::memchr(from, text[0], static_cast<size_t>(last_start - from) + 1));
#if defined(__x86_64__)
    return simd::has_avx2() ? probe_find_avx2(*this, from, last_start) : probe_find_sse2(*this, from, last_start);
#else
    return horspool_find(*this, from, last_start);
#endif
}

// Literals in sorted order fill the eight buckets in turn, so literals sharing a bucket
// tend to share their leading bytes and the fingerprint stays selective.
void multi_prefix::build()
{
    std::vector<size_t> order(literals.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [this](size_t a, size_t b) { return literals[a].text < literals[b].text; });
    bucket.assign(literals.size(), 0);
    for (size_t rank = 0; rank < order.size(); ++rank)
        bucket[order[rank]] = static_cast<uint8_t>(1u << (rank * 8 / order.size()));
    for (size_t j = 0; j < fingerprint_bytes; ++j) {
        std::fill(std::begin(low_nibble[j]), std::end(low_nibble[j]), uint8_t(0));
        std::fill(std::begin(high_nibble[j]), std::end(high_nibble[j]), uint8_t(0));
    }
    for (size_t i = 0; i < literals.size(); ++i) {
        const prefix_searcher& ps = literals[i];
        for (size_t j = 0; j < fingerprint_bytes; ++j) {
            if (j >= ps.text.size()) {
                // A literal this short allows any byte here.
                for (int k = 0; k < 16; ++k) {
                    low_nibble[j][k] |= bucket[i];
                    high_nibble[j][k] |= bucket[i];
                }
                continue;
            }
            auto allow = [&](unsigned char c) {
                low_nibble[j][c & 15] |= bucket[i];
                high_nibble[j][c >> 4] |= bucket[i];
            };
            allow(static_cast<unsigned char>(ps.text[j]));
            if (ps.nocase)
                allow(static_cast<unsigned char>(ps.flipped[j]));
        }
    }
}

const char* multi_prefix::find(const char* from, const char* last, const char* end) const
{
#if defined(__x86_64__)
    if (simd::has_avx2())
        return fingerprint_find_avx2(*this, from, last, end);
    if (simd::has_ssse3())
        return fingerprint_find_ssse3(*this, from, last, end);
#endif
    return multi_find_bytewise(*this, from, last, end);
}

}  // namespace regex
