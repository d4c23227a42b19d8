/*
 * LiteralScan.h - finding where a literal, or one of several literals, occurs in a subject.
 *
 * The search uses these to skip to the positions where a match can begin (or must lie
 * near). One literal: the positions whose bytes at the literal's two rarest offsets are in
 * place are found sixteen or thirty-two at a time, then verified. Several literals: a
 * fingerprint of their first bytes, looked up per nibble with byte shuffles, tells for
 * sixteen or thirty-two positions at once which literals may start there, then those are
 * verified. AVX2 is used where the processor has it (the build targets the baseline
 * instruction set, so this is chosen at run time); without SIMD the scans go byte by byte.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace regex {

// The literal every match begins with, and how to find it fast.
struct prefix_searcher {
    std::string text;           // the prefix
    std::string flipped;        // the prefix with every letter's case flipped
    bool nocase = false;        // either case of a letter matches
    unsigned char skip[256];    // Boyer-Moore-Horspool shift per subject byte
    size_t probe1 = 0;          // offset of the literal's rarest byte in common text
    size_t probe2 = 0;          // offset of its next rarest byte (another offset when there is one)
    // First position in [from, last] where the prefix starts, or null.
    const char* find(const char* from, const char* last_start) const;
    void build();
};

// Most literals a multi_prefix searches for at once.
constexpr size_t max_literals = 24;
// Leading bytes of each literal the fingerprint of a multi_prefix looks at.
constexpr size_t fingerprint_bytes = 3;

// Several literals, one of which every match begins with (alternatives of literals).
struct multi_prefix {
    std::vector<prefix_searcher> literals;  // the leading literal of each alternative
    std::vector<uint8_t> bucket;            // per literal, its fingerprint bucket (one bit of eight)
    // Per leading byte offset and per low (high) nibble of the subject byte there, the
    // buckets holding a literal that may have such a byte at that offset.
    uint8_t low_nibble[fingerprint_bytes][16] = {};
    uint8_t high_nibble[fingerprint_bytes][16] = {};
    // First position in [from, last] where one of the literals starts (and ends by end), or null.
    const char* find(const char* from, const char* last, const char* end) const;
    // Fill the buckets and the fingerprint once the literals are in place.
    void build();
};

}  // namespace regex
