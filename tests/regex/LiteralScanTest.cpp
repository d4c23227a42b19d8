/*
 * LiteralScanTest.cpp - the vector literal scans against a plain position-by-position scan,
 * on random subjects and literals: every start offset, every subject end around the
 * vector widths, literals of 1 to 8 bytes, one or many at once, with and without case
 * folding.
 */
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/LiteralScan.h"
#include "regex/CharSet.h"

namespace {

using regex::multi_prefix;
using regex::prefix_searcher;

// A literal built as the pattern analysis builds it: folding literals are held in lower case.
prefix_searcher make_literal(std::string text, bool nocase)
{
    prefix_searcher ps;
    ps.nocase = nocase;
    if (nocase)
        for (char& c : text)
            c = static_cast<char>(regex::to_lower_ascii(static_cast<unsigned char>(c)));
    ps.text = std::move(text);
    ps.build();
    return ps;
}

bool plain_at(const prefix_searcher& ps, const char* p, const char* end)
{
    if (static_cast<size_t>(end - p) < ps.text.size())
        return false;
    for (size_t i = 0; i < ps.text.size(); ++i) {
        auto a = static_cast<unsigned char>(p[i]), b = static_cast<unsigned char>(ps.text[i]);
        if (ps.nocase ? regex::to_lower_ascii(a) != b : a != b)
            return false;
    }
    return true;
}

// The first position in [from, last] where one of the literals starts and ends by end.
const char* plain_find(const std::vector<prefix_searcher>& literals, const char* from, const char* last, const char* end)
{
    for (const char* p = from; p <= last; ++p)
        for (const prefix_searcher& ps : literals)
            if (plain_at(ps, p, end))
                return p;
    return nullptr;
}

// Bytes few enough that literals occur often, with both cases of letters, a line feed and a
// byte above 127; literals are taken from the subject or made up.
class RandomScan : public ::testing::Test {
protected:
    std::mt19937 rng{20261207};
    std::string subject(size_t n)
    {
        static const std::string alphabet = "abcABC\n\xe9";
        std::string s;
        for (size_t i = 0; i < n; ++i)
            s += alphabet[rng() % alphabet.size()];
        return s;
    }
    prefix_searcher literal(const std::string& from_text)
    {
        size_t len = 1 + rng() % 8;
        std::string text = rng() % 2 != 0 && from_text.size() > len
                               ? from_text.substr(rng() % (from_text.size() - len), len)
                               : subject(len);
        return make_literal(text, rng() % 3 == 0);
    }
};

TEST_F(RandomScan, OneLiteralFoundWhereThePlainScanFindsIt)
{
    for (int round = 0; round < 300; ++round) {
        std::string s = subject(1 + rng() % 100);
        prefix_searcher ps = literal(s);
        const char* end = s.data() + s.size();
        const char* last = end - ps.text.size();
        for (const char* from = s.data(); from <= end; ++from)
            ASSERT_EQ(ps.find(from, last), plain_find({ps}, from, last, end))
                << "literal '" << ps.text << "' nocase " << ps.nocase << " in '" << s << "' from " << from - s.data();
    }
}

TEST_F(RandomScan, SeveralLiteralsFoundWhereThePlainScanFindsOne)
{
    for (int round = 0; round < 400; ++round) {
        std::string s = subject(1 + rng() % 100);
        multi_prefix m;
        size_t count = 1 + rng() % (round % 4 == 0 ? regex::max_literals : 4);
        for (size_t i = 0; i < count; ++i)
            m.literals.push_back(literal(s));
        m.build();
        const char* end = s.data() + s.size();
        for (const char* from = s.data(); from < end; ++from)
            for (const char* last = end - 1; last >= from && last >= end - 4; --last)
                ASSERT_EQ(m.find(from, last, end), plain_find(m.literals, from, last, end))
                    << count << " literals, the first '" << m.literals[0].text << "', in '" << s << "' from "
                    << from - s.data() << " to " << last - s.data();
    }
}

}  // namespace
