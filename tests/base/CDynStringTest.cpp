/*
 * Tests of CDynString: none versus empty, ranges and their ends, self-aliasing, the case
 * flag, content with NUL bytes, and the number conversions.
 */
#include "base/CDynString.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(DynStringTest, NoneAndEmptyStayDistinct)
{
    CDynString none;
    EXPECT_EQ(none.GetText(), nullptr);
    CDynString empty(static_cast<const char*>(nullptr));
    EXPECT_STREQ(empty.GetText(), "");
    EXPECT_FALSE(CDynString(static_cast<const char* const*>(nullptr)).IsNone());
    EXPECT_FALSE(none.Equals(""));
    EXPECT_FALSE(empty.Equals(none));
    EXPECT_TRUE(empty.Equals(""));

    CDynString s("abc");
    s.Assign(static_cast<const char*>(nullptr));
    EXPECT_TRUE(s.IsNone());
    s.Append("x");
    EXPECT_STREQ(s.GetText(), "x") << "appending to none makes a copy";
    s.SetRange(nullptr, 0, 3);
    s.SetRange("", 0, 3);
    EXPECT_STREQ(s.GetText(), "x") << "a none or empty source leaves the string";
    EXPECT_STREQ(s.Reserve(8), "");
    EXPECT_EQ(s.GetAllocatedSize(), 8u);
    EXPECT_EQ(s.GetBuffer()[7], '\0');
    EXPECT_EQ(s.Reserve(0), nullptr);
}

TEST(DynStringTest, RangesAndTheirEnds)
{
    CDynString s;
    s.SetRange("^(abc)$", 2, CDynString::kToEnd);
    EXPECT_STREQ(s.GetText(), "abc)$");
    s.DropLast(2);
    EXPECT_STREQ(s.GetText(), "abc");
    s.DropLast(0);
    EXPECT_EQ(s.GetLength(), 3u);
    s.DropLast(10);
    EXPECT_STREQ(s.GetText(), "");

    CDynString t;
    t.SetRange("0123456789", 3, 5);
    EXPECT_STREQ(t.GetText(), "345");
    EXPECT_STREQ(t.Mid(1, 10).GetText(), "45");
    EXPECT_STREQ(t.Mid(7, 2).GetText(), "");
    EXPECT_STREQ(t.Left(2).GetText(), "34");
    EXPECT_STREQ(t.Right(9).GetText(), "345");
    EXPECT_STREQ(CDynString().Mid(0, 3).GetText(), "") << "none gives an empty result";
    t.caseSensitive = true;
    EXPECT_FALSE(t.Mid(0, 1).caseSensitive) << "Mid gives a string with the flag clear";
    EXPECT_TRUE((t + "x").caseSensitive);
    EXPECT_STREQ((t + CDynString("67")).GetText(), "34567");
    EXPECT_STREQ((CDynString() + "z").GetText(), "z");
}

TEST(DynStringTest, SourcesInsideTheOwnBufferAreSafe)
{
    CDynString s("abcdef");
    s.Append(s.GetText());
    EXPECT_STREQ(s.GetText(), "abcdefabcdef");
    s.Append(s);
    EXPECT_EQ(s.GetLength(), 24u);
    s.Assign(s.GetText() + 20);
    EXPECT_STREQ(s.GetText(), "cdef");
    s.SetRange(s.GetText(), 1, 2);
    EXPECT_STREQ(s.GetText(), "de");
}

TEST(DynStringTest, TheLeftFlagDecidesComparisons)
{
    CDynString upper("ABC");
    EXPECT_TRUE(upper.Equals("abc"));
    upper.caseSensitive = true;
    EXPECT_FALSE(upper.Equals("abc"));
    CDynString lower("abc");
    EXPECT_TRUE(lower.Equals(upper));
    EXPECT_FALSE(upper.Equals(lower));
    EXPECT_FALSE(CDynString("\xC9").Equals("\xE9")) << "only A..Z fold";
    EXPECT_FALSE(CDynString("ab").Equals("abc"));
    EXPECT_LT(CDynString("a").Compare(CDynString("B")), 0);
    EXPECT_GT(CDynString().Compare(CDynString("")), 0) << "none sorts after any text";
}

TEST(DynStringTest, NulBytesAreContentAndNumbersAreDecimal)
{
    const char bytes[] = {'a', '\0', 'b', '\0'};
    CDynString s(bytes, 3);
    s.Append(bytes, 4);
    EXPECT_EQ(s.View(), std::string_view("a\0ba\0b\0", 7));
    CDynString copy = s;
    EXPECT_EQ(copy.View(), s.View());
    EXPECT_EQ(s.Mid(1, 3).View(), std::string_view("\0ba", 3));
    EXPECT_EQ(s.Right(4).View(), std::string_view("a\0b\0", 4));
    EXPECT_FALSE(s.Equals(CDynString(bytes, 3)));

    EXPECT_STREQ(s.SetInt(INT_MIN), "-2147483648");
    EXPECT_STREQ(s.SetUInt(4294967295u, 200), "4294967295");
}
