/*
 * StartScanTest.cpp - the vector start-position scan against the exact test of every
 * position, on random classes (bytes above 127 among them) and random subjects: every
 * start offset and subject end around the vector widths.
 */
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex/StartScan.h"

namespace {

TEST(StartScan, FindsTheFirstPositionTheExactTestAdmits)
{
    std::mt19937 rng(7122026);
    // Bytes that differ only in bit 7 (a, \xe1) share their nibble tables, so a class holding
    // one of them and not the other is where the exact test has to correct the tables.
    const std::string alphabet = "aA \n_\xe1\xc1\x80\xff";
    auto random_class = [&] {
        regex::char_set set;
        for (char c : alphabet)
            if (rng() % 2 != 0)
                set.add(static_cast<unsigned char>(c));
        return set;
    };
    for (int round = 0; round < 500; ++round) {
        regex::start_scan scan;
        scan.first = random_class();
        scan.before = random_class();
        scan.at_begin = rng() % 2 != 0;
        scan.build();
        std::string s;
        for (size_t n = 1 + rng() % 100; s.size() < n;)
            s += alphabet[rng() % alphabet.size()];
        const char* begin = s.data();
        const char* end = begin + s.size();
        for (const char* from = begin; from < end; ++from)
            for (const char* last = end - 1; last >= from && last >= end - 3; --last) {
                const char* expected = from;
                while (expected <= last && !scan.admits(begin, expected))
                    ++expected;
                ASSERT_EQ(scan.find(begin, from, last), expected <= last ? expected : nullptr)
                    << "in '" << s << "' from " << from - begin << " to " << last - begin;
            }
    }
}

}  // namespace
