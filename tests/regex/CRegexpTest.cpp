/*
 * Tests of the CRegexp facade: compiling with flag strings, the spans FindAll reports (top
 * level against groups, kept texts, ranges, binary text), substitution through std::string
 * and CDynString, and splitting.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/CRegexp.h"

namespace {

using Strings = std::vector<std::string>;

// The spans of a list as "offset,length", each group in brackets after its match.
Strings Spans(const CWexList<MatchSpan>& list)
{
    Strings out;
    for (const auto* node = list.head; node != nullptr; node = node->next) {
        std::string span = std::to_string(node->element.offset) + "," + std::to_string(node->element.length);
        for (const auto* group = node->element.groups.head; group != nullptr; group = group->next)
            span += '[' + std::to_string(group->element.offset) + ',' + std::to_string(group->element.length) + ']';
        out.push_back(span);
    }
    return out;
}

TEST(CRegexpCompile, FailuresLeaveAnEmptyFacadeThatAnswersMinusOne)
{
    CRegexp re("(a)(b)?", "gi");
    ASSERT_TRUE(re.HasPattern());
    EXPECT_EQ(re.GetGroupCount(), 3);
    EXPECT_STREQ(re.GetPatternText().GetText(), "(a)(b)?");
    EXPECT_STREQ(re.GetFlags().GetText(), "gi");
    for (const char* bad : {"", "(a", "a{2,1}"}) {
        EXPECT_FALSE(re.Compile(bad, "g")) << bad;
        EXPECT_FALSE(re.HasPattern());
        EXPECT_EQ(re.GetGroupCount(), -1);
        EXPECT_TRUE(re.GetFlags().IsEmpty());
    }
    EXPECT_FALSE(re.Compile(nullptr, ""));
    std::string text = "aa";
    CDynString dyn("aa");
    EXPECT_EQ(re.FindAll("aa"), -1);
    EXPECT_EQ(re.Split("aa", nullptr, 0), -1);
    EXPECT_EQ(re.Substitute(text, "b"), -1);
    EXPECT_EQ(re.Replace(dyn, "b"), -1);
    EXPECT_FALSE(re.SetSubstitution("b"));
    ASSERT_TRUE(re.Compile("abc", ""));
    EXPECT_EQ(re.GetGroupCount(), 1);
}

TEST(CRegexpCompile, FlagLettersMapToEngineFlags)
{
    EXPECT_EQ(CRegexp::EngineFlags("imsxn"), 0x030Du);
    EXPECT_EQ(CRegexp::EngineFlags("g"), 0x0062u);
    EXPECT_EQ(CRegexp::EngineFlags("Rg"), 0x0042u);
    EXPECT_EQ(CRegexp::EngineFlags("SgR"), 0x0082u);
    EXPECT_EQ(CRegexp::EngineFlags("RS"), 0u);
    EXPECT_EQ(CRegexp::EngineFlags("IMGz- "), 0u);
    EXPECT_EQ(CRegexp::EngineFlags(nullptr), 0u);
    EXPECT_EQ(CRegexp("abc", "I").FindAll("ABC"), 0);
}

TEST(CRegexpFindAll, FirstMatchWithoutGlobalEveryMatchWithItEmptyOnesOneByOne)
{
    CWexList<MatchSpan> first, all, empty;
    CRegexp once("a", ""), global("a", "g"), star("x*", "g");
    EXPECT_EQ(once.FindAll("bab a", &first), 1);
    EXPECT_EQ(Spans(first), Strings({"1,1"}));
    EXPECT_EQ(global.FindAll("bab a", &all), 2);
    EXPECT_EQ(Spans(all), Strings({"1,1", "4,1"}));
    EXPECT_EQ(global.FindAll("bab a"), 2);
    EXPECT_EQ(global.FindAll("bbb"), 0);
    EXPECT_EQ(global.FindAll(static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(star.FindAll("ab", &empty), 3);
    EXPECT_EQ(Spans(empty), Strings({"0,0", "1,0", "2,0"}));
}

TEST(CRegexpFindAll, GroupsGoUnderTheirMatchWithTextsOnlyWhenAsked)
{
    CWexList<MatchSpan> spans, all, quirk, kept;
    EXPECT_EQ(CRegexp("(a)|(b)(c)", "").FindAll("xbc", &spans), 1);
    EXPECT_EQ(Spans(spans), Strings({"1,2[1,1][2,1]"}));  // unmatched group 1 is skipped
    EXPECT_TRUE(spans.head->element.text.IsEmpty());

    EXPECT_EQ(CRegexp("(a)(b)", "gRS").FindAll("abab", &all), 2);
    EXPECT_EQ(Spans(all), Strings({"0,2[0,1][1,1]", "2,2[2,1][3,1]"}));
    EXPECT_STREQ(all.tail->element.text.GetText(), "ab");
    EXPECT_STREQ(all.head->element.groups.tail->element.text.GetText(), "b");

    // "R" without "g" still keeps the match text, but not the group texts.
    EXPECT_EQ(CRegexp("(b)+", "R").FindAll("abba", &kept), 1);
    EXPECT_STREQ(kept.head->element.text.GetText(), "bb");
    EXPECT_TRUE(kept.head->element.groups.head->element.text.IsEmpty());

    // A group that matched the empty string counts as a further top-level match.
    EXPECT_EQ(CRegexp("(a)(x?)", "").FindAll("ab", &quirk), 2);
    EXPECT_EQ(Spans(quirk), Strings({"0,1[0,1]", "1,0"}));
}

TEST(CRegexpFindAll, RangeStartIsTheSubjectBeginAndOffsetsCountFromTheText)
{
    CWexList<MatchSpan> spans, anchored;
    CRegexp re("a", "g");
    EXPECT_EQ(re.FindAll("aaaaaaa", &spans, 2, 3), 3);
    EXPECT_EQ(Spans(spans), Strings({"2,1", "3,1", "4,1"}));
    EXPECT_EQ(CRegexp("^a", "").FindAll("aaa", &anchored, 1), 1);
    EXPECT_EQ(Spans(anchored), Strings({"1,1"}));
    EXPECT_EQ(CRegexp("\\ba", "").FindAll("aaa", nullptr, 1), 1);
    EXPECT_EQ(CRegexp("(?<=a)b", "").FindAll("ab", nullptr, 1), 0);

    EXPECT_EQ(re.FindAll("aaa", nullptr, 4), -1);
    EXPECT_EQ(re.FindAll("aaa", nullptr, -1), -1);
    EXPECT_EQ(re.FindAll("aaa", nullptr, 3), 0);
    EXPECT_EQ(re.FindAll("aaa", nullptr, 1, 99), 2);

    // With the subject start apart from the search start, the bytes before the search count.
    CWexList<MatchSpan> global;
    EXPECT_EQ(CRegexp("^a", "").FindAll("aaaa", 4, nullptr, 1, 0), 0);
    EXPECT_EQ(CRegexp("^a", "").FindAll("aaaa", 4, nullptr, 1, 1), 1);
    EXPECT_EQ(CRegexp("\\b\\w", "g").FindAll("a\0bc d", 6, &global, 3, 1), 1);
    EXPECT_EQ(Spans(global), Strings({"5,1"}));
    EXPECT_EQ(re.FindAll("aaa", 3, nullptr, 1, 2), -1);
    EXPECT_EQ(re.FindAll("aaa", 3, nullptr, 4, 0), -1);
}

TEST(CRegexpSubstitute, TheReplacementOfTheLastMatchFoundKeepsItsContext)
{
    CRegexp re("(b)c?", "g");
    const std::string text = "abcbd";
    std::string out = "unset";
    EXPECT_FALSE(re.BuildReplacement("x", 0, 5, out));
    ASSERT_EQ(re.FindAll(text.data(), 5, nullptr, 1, 0), 2);
    ASSERT_TRUE(re.BuildReplacement("[$`|\\U$1\\E|$']", 0, 5, out));
    EXPECT_EQ(out, "[abc|B|d]");
    ASSERT_TRUE(re.BuildReplacement("[$`|$&|$']", 4, 4, out));
    EXPECT_EQ(out, "[|b|]");
    EXPECT_THROW(re.BuildReplacement("$2", 0, 5, out), regex::bad_regexpr);
    EXPECT_EQ(re.FindAll(text.data(), 5, nullptr, 5, 0), 0);
    EXPECT_FALSE(re.BuildReplacement("x", 0, 5, out));
}

TEST(CRegexpFindAll, BinaryTextIsSearchedPastNulBytes)
{
    const std::string text("a\0b\0a", 5);
    CWexList<MatchSpan> spans;
    CRegexp re("a|b\\x00", "gR");
    EXPECT_EQ(re.FindAll(std::string_view(text), &spans), 3);
    EXPECT_EQ(Spans(spans), Strings({"0,1", "2,2", "4,1"}));
    EXPECT_EQ(spans.NodeAt(1)->element.text.View(), std::string_view("b\0", 2));
    EXPECT_EQ(re.FindAll(text.c_str()), 1);
}

TEST(CRegexpFindAll, CopiedSpansOwnTheirGroups)
{
    MatchSpan original(3, 2);
    original.groups.t_Insert(nullptr, MatchSpan(3, 1));
    MatchSpan copy(original);
    MatchSpan assigned;
    assigned = original;
    original.groups.t_DeleteList();
    ASSERT_EQ(copy.groups.count, 1);
    ASSERT_EQ(assigned.groups.count, 1);
    EXPECT_EQ(copy.groups.head->element.offset, 3);
    EXPECT_EQ(assigned.groups.tail->element.length, 1);
}

TEST(CRegexpSubstitute, ReplacesFirstOrEveryMatchWithinTheRange)
{
    std::string once = "a-a-a", all = "a-a-a-a", groups = "ab";
    EXPECT_EQ(CRegexp("a", "").Substitute(once, "[$0]"), 1);
    EXPECT_EQ(once, "[a]-a-a");
    CRegexp global("a", "g");
    EXPECT_EQ(global.Substitute(all, "bb", 2, 3), 2);
    EXPECT_EQ(all, "a-bb-bb-a");
    EXPECT_EQ(global.Substitute(all, "x", 9), 0);
    EXPECT_EQ(global.Substitute(all, "x", 10), -1);
    EXPECT_EQ(global.Substitute(all, nullptr), -1);
    EXPECT_EQ(all, "a-bb-bb-a");
    EXPECT_EQ(CRegexp("(a)(b)", "").Substitute(groups, "\\U$1\\E-$2"), 1);
    EXPECT_EQ(groups, "A-b");
}

TEST(CRegexpSubstitute, BadReplacementsThrowAndLeaveTheTextAlone)
{
    CRegexp re("(a)(b)", "g");
    CDynString text("abab");
    EXPECT_THROW(
        {
            try {
                re.Replace(text, "$3");
            } catch (const regex::bad_regexpr& error) {
                EXPECT_STREQ(error.what(), "invalid backreference in substitution");
                throw;
            }
        },
        regex::bad_regexpr);
    EXPECT_STREQ(text.GetText(), "abab");
    EXPECT_THROW(re.SetSubstitution("x\\"), regex::bad_regexpr);
}

TEST(CRegexpSubstitute, ReplaceWritesBackOnlyAfterAReplacementAndKeepsNulBytes)
{
    CRegexp re("b", "gn");
    CDynString binary(std::string_view("a\0b\0b", 5));
    binary.caseSensitive = true;
    EXPECT_EQ(re.Replace(binary, "\\n"), 2);
    EXPECT_EQ(binary.View(), std::string_view("a\0\n\0\n", 5));
    EXPECT_TRUE(binary.caseSensitive);
    CDynString none;
    EXPECT_EQ(re.Replace(none, "x"), 0);
    EXPECT_TRUE(none.IsNone());
}

TEST(CRegexpSplit, CutsAtSeparatorsAndKeepsDuplicatePieces)
{
    CWexList<CDynString> parts;
    CRegexp slashes("[\\/\\\\]+", "g");
    EXPECT_EQ(slashes.Split("a/b\\\\a//", &parts, 0), 3);
    Strings texts;
    for (const auto* node = parts.head; node != nullptr; node = node->next)
        texts.emplace_back(node->element.View());
    EXPECT_EQ(texts, Strings({"a", "b", "a"}));
    EXPECT_EQ(slashes.Split("x/y/z", nullptr, 0, 2), 2);
    EXPECT_EQ(slashes.Split(static_cast<const char*>(nullptr), nullptr, 0), -1);
}

}  // namespace
