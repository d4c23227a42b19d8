/*
 * The pattern test behind "Test regexp!" and the run's start check, and the whole-word
 * wrapping of the pattern field.
 */
#include <gtest/gtest.h>

#include "regex/CRegexp.h"
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

// Whether pattern, compiled with flags, finds something in text.
bool Finds(const std::string& pattern, const char* flags, const std::string& text)
{
    CRegexp regex;
    EXPECT_TRUE(regex.Compile(pattern.c_str(), flags)) << pattern;
    return regex.FindAll(text) > 0;
}

TEST(WholeWord, WrappedAlternativesMatchOnlyWholeWords)
{
    EXPECT_EQ(WrapWholeWord("cat|dog", false), "\\b(?:cat|dog)\\b");
    EXPECT_FALSE(Finds(WrapWholeWord("cat|dog", false), "", "category hotdog"));
    EXPECT_TRUE(Finds(WrapWholeWord("cat|dog", false), "", "hot dog"));
    const std::string commented = WrapWholeWord("cat | dog # pets", true);
    EXPECT_EQ(commented, "\\b(?:cat | dog # pets\n)\\b");
    EXPECT_FALSE(Finds(commented, "x", "category hotdog"));
    EXPECT_TRUE(Finds(commented, "x", "a dog"));
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
