/*
 * StartScan.cpp - the start-position scan of StartScan.h.
 *
 * A class is held as two tables of sixteen bytes: for the high nibble h of a byte, the bit
 * h mod 8; for the low nibble l, the bits h mod 8 of every h where (h, l) is a member. A
 * byte passes when the two lookups share a bit: exact for bytes below 128, and for a byte
 * above it the same as for the byte 128 lower, so the exact test follows.
 */
#include "regex/StartScan.h"

#include "regex/VectorOps.h"

namespace regex {

namespace {

void nibble_tables(const char_set& set, uint8_t (&low)[16], uint8_t (&high)[16])
{
    for (unsigned h = 0; h < 16; ++h) {
        high[h] = static_cast<uint8_t>(1u << (h & 7));
        low[h] = 0;
    }
    for (unsigned c = 0; c < 256; ++c)
        if (set.test(static_cast<unsigned char>(c)))
            low[c & 15] |= static_cast<uint8_t>(1u << ((c >> 4) & 7));
}

const char* find_bytewise(const start_scan& s, const char* begin, const char* p, const char* last)
{
    for (; p <= last; ++p)
        if (s.admits(begin, p))
            return p;
    return nullptr;
}

#if defined(__x86_64__)

// V::width positions at a time: the bytes at p pass the first class's tables and the bytes
// at p - 1 the before class's; the candidates are tested exactly.
template <class V>
const char* find_vector(const start_scan& s, const char* begin, const char* p, const char* last)
{
    if (p == begin) {
        if (p > last || s.admits(begin, p))
            return p <= last ? p : nullptr;
        ++p;
    }
    const auto first_low = V::table(s.first_low), first_high = V::table(s.first_high);
    const auto before_low = V::table(s.before_low), before_high = V::table(s.before_high);
    const auto none = V::splat(0);
    for (; last - p >= V::width; p += V::width) {
        auto in_first = simd::classify<V>(V::load(p), first_low, first_high);
        auto in_before = simd::classify<V>(V::load(p - 1), before_low, before_high);
        uint32_t fails = V::mask(V::either(V::equal(in_first, none), V::equal(in_before, none)));
        for (uint32_t mask = ~fails & static_cast<uint32_t>((uint64_t(1) << V::width) - 1); mask != 0; mask &= mask - 1)
            if (s.admits(begin, p + __builtin_ctz(mask)))
                return p + __builtin_ctz(mask);
    }
    return find_bytewise(s, begin, p, last);
}

__attribute__((target("ssse3"), flatten)) const char* find_ssse3(const start_scan& s, const char* begin,
                                                                 const char* p, const char* last)
{
    return find_vector<simd::vec128>(s, begin, p, last);
}

__attribute__((target("avx2"), flatten)) const char* find_avx2(const start_scan& s, const char* begin, const char* p,
                                                               const char* last)
{
    return find_vector<simd::vec256>(s, begin, p, last);
}

#endif

}  // namespace

void start_scan::build()
{
    nibble_tables(first, first_low, first_high);
    nibble_tables(before, before_low, before_high);
}

const char* start_scan::find(const char* begin, const char* from, const char* last) const
{
#if defined(__x86_64__)
    if (simd::has_avx2())
        return find_avx2(*this, begin, from, last);
    if (simd::has_ssse3())
        return find_ssse3(*this, begin, from, last);
#endif
    return find_bytewise(*this, begin, from, last);
}

}  // namespace regex
