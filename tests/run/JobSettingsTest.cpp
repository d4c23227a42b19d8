/*
 * The pattern test behind "Test regexp!" and the run's start check, and the whole-word
 * wrapping of the pattern field.
 */
#include <gtest/gtest.h>

#include "run/JobSettings.h"

namespace {

std::string Tested(const std::string& pattern, bool searchOnly = true, const std::string& replacement = "")
{
    JobSettings job;
    job.pattern = pattern;
    job.searchOnly = searchOnly;
    job.replacement = replacement;
    return TestRegexpMessage(job);
}

TEST(TestRegexp, CountsGroupsOrSaysWhatIsWrong)
{
    EXPECT_EQ(Tested("qmend"), "Regexp seems to be OK, number of groups: 0");
    EXPECT_EQ(Tested("(a)(b)"), "Regexp seems to be OK, number of groups: 2");
    EXPECT_EQ(Tested("(a"), "Regexp error!");
    EXPECT_EQ(Tested(""), "Regexp is empty!");
    // Tested without flags: "#" starts no comment, so the parenthesis counts.
    EXPECT_EQ(Tested("a # (b"), "Regexp error!");
    // The replacement counts only for a replacing job.
    EXPECT_EQ(Tested("(a)", false, "$1\\"), "Regexp error!");
    EXPECT_EQ(Tested("(a)", true, "$1\\"), "Regexp seems to be OK, number of groups: 1");
}

TEST(WholeWord, UnwrapUndoesWrapAndThePlainForm)
{
    for (const bool extended : {false, true}) {
        for (const std::string pattern : {"abc", "(?:a)|(?:b)", "[)]x", "\\Q)\\E", "x\n"}) {
            EXPECT_EQ(UnwrapWholeWord(WrapWholeWord(pattern, extended), extended), pattern) << pattern;
        }
    }
    EXPECT_EQ(UnwrapWholeWord(WrapWholeWord("a|b # )", true), true), "a|b # )");
    EXPECT_TRUE(IsWholeWordWrapped("\\Babc\\B"));
    EXPECT_EQ(UnwrapWholeWord("\\Babc\\B", false), "abc");
    EXPECT_EQ(UnwrapWholeWord("\\b(?:a)|(?:b)\\b", false), "(?:a)|(?:b)");
    EXPECT_FALSE(IsWholeWordWrapped("\\b"));
    EXPECT_EQ(UnwrapWholeWord("abc\\b", false), "abc\\b");
}

}  // namespace
