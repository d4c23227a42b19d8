/*
 * VectorOps.h - the few vector operations the scans of the engine use, sixteen bytes wide
 * (SSE2, and SSSE3 for the byte shuffle) and thirty-two bytes wide (AVX2).
 *
 * A scan loop is written once as a template over these, and instantiated inside a wrapper
 * function compiled for the instruction set (attribute target), into which the whole loop
 * is inlined (attribute flatten). The build targets the baseline instruction set, so the
 * wrapper is chosen at run time with has_avx2() and has_ssse3().
 */
#pragma once

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstdint>

// The template loops are instantiated outside the functions that enable AVX2 and inlined
// into them; the ABI note on passing 256-bit vectors concerns only out-of-line calls.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace regex::simd {

// The vector operations the scan loops use, sixteen bytes wide (the shuffle needs SSSE3).
struct vec128 {
    using vec = __m128i;
    static constexpr int width = 16;
    static vec load(const void* p) { return _mm_loadu_si128(static_cast<const vec*>(p)); }
    static vec splat(char c) { return _mm_set1_epi8(c); }
    static vec table(const uint8_t* t) { return load(t); }
    static vec both(vec a, vec b) { return _mm_and_si128(a, b); }
    static vec either(vec a, vec b) { return _mm_or_si128(a, b); }
    static vec equal(vec a, vec b) { return _mm_cmpeq_epi8(a, b); }
    static vec high_nibbles(vec a) { return _mm_and_si128(_mm_srli_epi16(a, 4), _mm_set1_epi8(0x0f)); }
    // Per byte of i (0 to 15), the byte of t it indexes.
    __attribute__((target("ssse3"))) static vec lookup(vec t, vec i) { return _mm_shuffle_epi8(t, i); }
    static uint32_t mask(vec a) { return static_cast<uint32_t>(_mm_movemask_epi8(a)); }
    static void store(uint8_t* to, vec a) { _mm_storeu_si128(reinterpret_cast<vec*>(to), a); }
};

// The same thirty-two bytes wide, with AVX2 (the shuffle looks up within each half, so a
// table is in both halves).
struct vec256 {
    using vec = __m256i;
    static constexpr int width = 32;
    __attribute__((target("avx2"))) static vec load(const void* p) { return _mm256_loadu_si256(static_cast<const vec*>(p)); }
    __attribute__((target("avx2"))) static vec splat(char c) { return _mm256_set1_epi8(c); }
    __attribute__((target("avx2"))) static vec table(const uint8_t* t)
    {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
    }
    __attribute__((target("avx2"))) static vec both(vec a, vec b) { return _mm256_and_si256(a, b); }
    __attribute__((target("avx2"))) static vec either(vec a, vec b) { return _mm256_or_si256(a, b); }
    __attribute__((target("avx2"))) static vec equal(vec a, vec b) { return _mm256_cmpeq_epi8(a, b); }
    __attribute__((target("avx2"))) static vec high_nibbles(vec a)
    {
        return _mm256_and_si256(_mm256_srli_epi16(a, 4), _mm256_set1_epi8(0x0f));
    }
    __attribute__((target("avx2"))) static vec lookup(vec t, vec i) { return _mm256_shuffle_epi8(t, i); }
    __attribute__((target("avx2"))) static uint32_t mask(vec a) { return static_cast<uint32_t>(_mm256_movemask_epi8(a)); }
    __attribute__((target("avx2"))) static void store(uint8_t* to, vec a) { _mm256_storeu_si256(reinterpret_cast<vec*>(to), a); }
};

// Per byte of a, the rows of a class held as two nibble tables (low: per low nibble, high:
// per high nibble) that both lookups agree on; zero where the byte is no member.
template <class V>
typename V::vec classify(typename V::vec a, typename V::vec low, typename V::vec high)
{
    return V::both(V::lookup(low, V::both(a, V::splat(0x0f))), V::lookup(high, V::high_nibbles(a)));
}

inline bool has_avx2()
{
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

inline bool has_ssse3()
{
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}

}  // namespace regex::simd

#endif
