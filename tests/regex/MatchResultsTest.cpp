/*
 * Tests of the match results record: sizing, unmatched records, text, bounds.
 */
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "regex/Pattern.h"

using namespace regex;

TEST(MatchResults, RecordsOfASearchTheirBoundsAndEmptyMatches)
{
    Pattern p(0, "(a)|(b)");
    p.compile();
    const std::string s = "xb";
    MatchResults r;
    ASSERT_TRUE(p.match(s.data(), s.data() + s.size(), r));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_FALSE(r.at(1).matched);
    EXPECT_EQ(r.at(1).first, nullptr);
    EXPECT_EQ(r.at(1).second, nullptr);
    EXPECT_EQ(r.at(1).str(), "");
    EXPECT_EQ(r.at(1).length(), 0);
    EXPECT_EQ(r.at(2).str(), "b");
    EXPECT_EQ(r.at(0).length(), 1);
    try {
        (void)r.at(3);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
    ASSERT_FALSE(p.match(s.data(), s.data() + 1, r));
    EXPECT_EQ(r.size(), 3u);
    EXPECT_FALSE(r.at(0).matched);
    r.release();
    EXPECT_EQ(r.size(), 0u);

    // An empty group at the subject start matched: it differs from a group that did not.
    Pattern empty(0, "(x?)y|z");
    empty.compile();
    const std::string y = "y";
    ASSERT_TRUE(empty.match(y.data(), y.data() + 1, r));
    EXPECT_TRUE(r.at(1).matched);
    EXPECT_EQ(r.at(1).first, y.data());
    EXPECT_EQ(r.at(1).length(), 0);
}
