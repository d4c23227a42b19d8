/*
 * The expansion: walk order, depth, kinds, name pattern, criteria, cancel, links, and the
 * page settings that feed it.
 */
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/ScriptedDesktop.h"
#include "targets/TargetPage.h"
#include "fakes/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// The names of a directory as the file system lists them, without "." and "..".
Lines Listing(const std::string& dir)
{
    Lines names;
    DIR* listing = opendir(dir.c_str());
    for (dirent* entry = readdir(listing); entry != nullptr; entry = readdir(listing))
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    closedir(listing);
    return names;
}

Lines Sorted(Lines lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

Lines Walked(CFileFinder& finder, const Lines& inputs, int depth, bool dirs = true, bool files = true,
             const char* pattern = "", bool ignoreCase = true)
{
    CWexList<CDynString> input, output;
    for (const std::string& path : inputs)
        input.add(PathString(path));
    finder.Expand(input, output, depth, dirs, files, CDynString(pattern), ignoreCase, true);
    Lines result;
    for (auto* node = output.head; node != nullptr; node = node->next)
        result.emplace_back(node->element.View());
    return result;
}

// top/{a.txt, sub/{b.TXT, deep/{c.txt}}, empty/} and side.log beside top.
struct Tree : TempDir {
    std::string top = Dir("top"), a = File("top/a.txt", "12345"), sub = Dir("top/sub"),
                b = File("top/sub/b.TXT", ""), deep = Dir("top/sub/deep"),
                c = File("top/sub/deep/c.txt", "1"), empty = Dir("top/empty"), side = File("side.log");
    // Every path below dir, each directory after its content, entries as the system lists them.
    Lines PostOrder(const std::string& dir) const
    {
        Lines order;
        for (const std::string& name : Listing(dir)) {
            Lines below = std::filesystem::is_directory(dir + "/" + name) ? PostOrder(dir + "/" + name)
                                                                          : Lines{dir + "/" + name};
            order.insert(order.end(), below.begin(), below.end());
        }
        order.push_back(dir);
        return order;
    }
};

TEST(Expand, WalksPostOrderInListingOrderWithoutMovingTheCurrentDirectory)
{
    Tree tree;
    CFileFinder finder;
    std::filesystem::path before = std::filesystem::current_path();
    Lines expected = tree.PostOrder(tree.top);
    expected.push_back(tree.side);
    EXPECT_EQ(Walked(finder, {tree.top, tree.side, tree / "gone"}, -1), expected);
    EXPECT_EQ(std::filesystem::current_path(), before);
    std::string link = tree / "top/empty/link";
    ASSERT_EQ(symlink(tree.sub.c_str(), link.c_str()), 0);
    EXPECT_EQ(Walked(finder, {tree.empty}, -1), (Lines{link, tree.empty})) << "a link is never descended";
    EXPECT_TRUE(Walked(finder, {link}, -1, false, true).empty());
    CurrentDirectory here(tree.Path());
    EXPECT_EQ(Walked(finder, {"top/sub/deep"}, -1), (Lines{tree.c, tree.deep})) << "absolute, directory kept";
}

TEST(Expand, DepthKindsAndNamePatternFilterWhileUnwantedDirectoriesAreStillWalked)
{
    Tree tree;
    CFileFinder finder;
    EXPECT_EQ(Walked(finder, {tree.top, tree.side}, 0), (Lines{tree.top, tree.side}));
    EXPECT_EQ(Sorted(Walked(finder, {tree.top}, 1)), Sorted({tree.a, tree.sub, tree.empty, tree.top}));
    EXPECT_EQ(Walked(finder, {tree.top}, 2).size(), 6u) << "deep is listed, c.txt below it is not";
    Lines files;
    for (const std::string& path : tree.PostOrder(tree.top))
        if (std::filesystem::is_regular_file(path))
            files.push_back(path);
    EXPECT_EQ(Walked(finder, {tree.top}, -1, false, true), files);
    EXPECT_EQ(Walked(finder, {tree.top, tree.side}, 0, false, true, "\\.log$"), (Lines{tree.side}));
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "\\.txt$").size(), 2u) << "ignoring case";
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "\\.txt$", false), (Lines{tree.c}));
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "^sub"), (Lines{tree.sub})) << "names only";
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "(unclosed").size(), 4u);
}

TEST(ExpandCriteria, RangesAndContentBoundsAreInclusiveInOneTimeBase)
{
    TempDir tree;
    std::string d = tree.Dir("d"), s1 = tree.File("d/s1", "1"), s1000 = tree.File("d/s1000", std::string(1000, 'x')),
                hollow = tree.Dir("d/hollow"), zero = tree.Dir("d/zero"), z = tree.File("d/zero/z", "");
    tree.File("d/s1001", std::string(1001, 'x'));
    CFileFinder finder;
    ASSERT_TRUE(ParseSizeRange("1..1k", finder.criteria));
    EXPECT_EQ(Sorted(Walked(finder, {d}, -1)), Sorted({s1, s1000, hollow, zero, d})) << "no size row for dirs";
    std::time_t old = 1700000000;
    timespec when[2] = {{old, 0}, {old, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, s1.c_str(), when, 0), 0);
    char day[16];
    std::strftime(day, sizeof day, "%Y-%m-%d", std::localtime(&old));
    for (TimeField field : {TimeField::Modified, TimeField::Accessed}) {
        finder.criteria = FinderCriteria{};
        ASSERT_TRUE(ParseTimeRange(std::string(day) + ".." + day, field, finder.criteria));
        EXPECT_EQ(Walked(finder, {d}, -1, false, true), (Lines{s1})) << "the local day holds the moment";
    }
    finder.criteria = FinderCriteria{};
    ASSERT_TRUE(ParseTimeRange(std::string(day) + "..", TimeField::Created, finder.criteria));
    EXPECT_EQ(Walked(finder, {d}, -1).size(), 7u) << "all created after that day";
    finder.criteria = FinderCriteria{};
    SetEmptyDirs(finder.criteria);
    std::string s1001 = tree / "d/s1001";
    EXPECT_EQ(Sorted(Walked(finder, {d}, -1)), Sorted({s1, s1000, s1001, hollow, z}));
    EXPECT_EQ(Sorted(Walked(finder, {d}, -1, true, false)), Sorted({hollow, zero})) << "files never counted";
    EXPECT_EQ(Walked(finder, {d}, 0, true, false), (Lines{d})) << "not walked at depth 0";
    SetZeroSizeDirs(finder.criteria);
    EXPECT_EQ(Sorted(Walked(finder, {d}, -1)), Sorted({s1, s1000, s1001, hollow, z, zero}));
}

TEST(ExpandCriteria, AdvancedValuesAndCommandLineRangesBecomeCriteria)
{
    AdvancedValues values;
    std::time_t now = 1700000000;
    values.OnOpening(now);
    values.OnOpening(now + 86400);
    EXPECT_EQ(values.modifyRow.maxTime, now) << "first opening only";
    FinderCriteria criteria;
    criteria.minData.size = 7;
    ApplyAdvancedValues(values, criteria);
    EXPECT_FALSE(criteria.criteriaOn);
    EXPECT_EQ(criteria.minData.size, 7u) << "bounds untouched while nothing is on";
    values.sizeRowOn = values.modifyRow.on = values.zeroSizeDirs = true;
    values.minSizeNumber = 2, values.minSizeUnit = 1, values.maxSizeNumber = 3, values.maxSizeUnit = 2;
    values.modifyRow.minDate = values.todayMidnight - 86400;
    ApplyAdvancedValues(values, criteria);
    EXPECT_TRUE(criteria.criteriaOn && criteria.contentOn && criteria.writeTimeOn && !criteria.createTimeOn);
    EXPECT_EQ(criteria.maxData.size - criteria.minData.size, 3000000u - 2000u);
    EXPECT_EQ(criteria.minData.lastWriteTime, FileTimeFromCalendar(now - 86400));
    EXPECT_EQ(FileTimeFromCalendar(0), 116444736000000000ULL);
    EXPECT_EQ(criteria.maxFiles, 9999999);
    values.emptyDirs = true;
    ApplyAdvancedValues(values, criteria);
    EXPECT_EQ(criteria.maxFiles, 0) << "empty dirs wins";
    FinderCriteria parsed;
    for (const char* bad : {"", "5", "1..2..3", "5..1", "k..", "1x..", "..99999999999999999999"})
        EXPECT_FALSE(ParseSizeRange(bad, parsed)) << bad;
    for (const char* bad : {"2024-13-01..", "2024-02-30..", "..2024-03-01T25:00", "2024-3-1..",
                            "2024-03-02..2024-03-01", "2024-03-01T10:00:00Z.."})
        EXPECT_FALSE(ParseTimeRange(bad, TimeField::Modified, parsed)) << bad;
    EXPECT_FALSE(parsed.criteriaOn);
    ASSERT_TRUE(ParseSizeRange("..2m", parsed));
    EXPECT_EQ(parsed.maxData.size, 2000000u);
    ASSERT_TRUE(ParseTimeRange("2024-03-01T10:30..2024-03-01T10:30", TimeField::Modified, parsed));
    EXPECT_EQ(parsed.maxData.lastWriteTime - parsed.minData.lastWriteTime, 60 * 10000000ULL - 1);
}

struct ExpandPage : ::testing::Test {
    ScriptedDesktop desktop;
    FileWiper wiper{desktop};
    TargetPage page{desktop, wiper};
};

TEST_F(ExpandPage, CancelStopsOpenListingsButVisitsEveryRemainingStartPath)
{
    TempDir tree;
    std::string first = tree.Dir("first"), file = tree.File("file"), last = tree.Dir("last");
    for (const char* name : {"first/1", "first/2", "last/1", "last/2"})
        tree.File(name);
    page.targets.lines.Assign({first, file, last});
    desktop.PressAtPump(1, [&] { page.OnExpand(); });
    page.OnExpand();
    DIR* listing = opendir(last.c_str());
    std::string lastFirst = readdir(listing)->d_name;
    closedir(listing);
    Lines expected{first + "/" + Listing(first)[0], first, file};
    if (lastFirst[0] != '.')
        expected.push_back(last + "/" + lastFirst);
    expected.push_back(last);
    EXPECT_EQ(page.targets.Paths(), expected);
    EXPECT_FALSE(page.finder.running);
}

TEST_F(ExpandPage, ExpandUsesThePageSettingsAndExactMatchRewritesThePattern)
{
    Tree tree;
    page.targets.lines.Assign({tree.top, tree.side, tree / "gone", tree.top});
    page.depthIndex = 1;
    page.wantDirs = false;
    page.OnPatternChanged("\\.(TXT|log)$");
    page.OnExpand();
    EXPECT_EQ(page.targets.Paths(), (Lines{tree.side}));
    EXPECT_FALSE(page.targets.normalized);
    for (const char* text : {"^abc$", "(abc)", "abc"}) {
        page.OnPatternChanged(text);
        page.OnExactMatchClicked(true);
        EXPECT_EQ(page.effectivePattern, "^(abc)$") << text;
        EXPECT_TRUE(page.exactMatch);
    }
    page.OnPatternChanged("(a)|(b)");
    page.OnExactMatchClicked(true);
    EXPECT_EQ(page.effectivePattern, "^(a)|(b)$");
    page.OnExactMatchClicked(false);
    EXPECT_EQ(page.effectivePattern, "a)|(b");
    EXPECT_FALSE(page.exactMatch);
    page.OnPatternChanged("^x" + std::string(400, 'y') + "$");
    EXPECT_FALSE(page.exactMatch) << "cut to 299 characters";
}

}  // namespace
