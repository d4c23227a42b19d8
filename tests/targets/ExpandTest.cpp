/*
 * The expansion: walk order, depth, kinds, name pattern, criteria, cancel, links, and the
 * page settings that feed it.
 */
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/ScriptedDesktop.h"
#include "targets/ExpandOptions.h"
#include "targets/TargetPage.h"
#include "targets/TempTree.h"

namespace {

using Lines = std::vector<std::string>;

// The names of a directory in the order the file system lists them, "." and ".." included.
Lines Listing(const std::string& dir)
{
    Lines names;
    DIR* listing = opendir(dir.c_str());
    for (dirent* entry = readdir(listing); entry != nullptr; entry = readdir(listing))
        names.emplace_back(entry->d_name);
    closedir(listing);
    return names;
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

// top/{a.txt, sub/{b.TXT, deep/{c.txt}}, empty/} and a file beside top.
struct Tree : TempTree {
    std::string top = Dir("top"), a = File("top/a.txt", "12345"), sub = Dir("top/sub"),
                b = File("top/sub/b.TXT", ""), deep = Dir("top/sub/deep"),
                c = File("top/sub/deep/c.txt", "1"), empty = Dir("top/empty"), side = File("side.log");
    // The walk's order below top: each directory after its content, entries as listed.
    Lines PostOrder(const std::string& dir) const
    {
        Lines order;
        for (const std::string& name : Listing(dir)) {
            std::string path = dir + "/" + name;
            if (name == "." || name == "..")
                continue;
            if (std::filesystem::is_directory(path))
                for (const std::string& below : PostOrder(path))
                    order.push_back(below);
            else
                order.push_back(path);
        }
        order.push_back(dir);
        return order;
    }
};

TEST(Expand, WalksPostOrderInListingOrderAndLeavesTheCurrentDirectory)
{
    Tree tree;
    CFileFinder finder;
    std::filesystem::path before = std::filesystem::current_path();
    Lines expected = tree.PostOrder(tree.top);
    expected.push_back(tree.side);
    EXPECT_EQ(Walked(finder, {tree.top, tree.side, tree.Path("gone")}, -1), expected);
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_FALSE(finder.running);
    CurrentDirectory here(tree.root);
    EXPECT_EQ(Walked(finder, {"top/sub/deep"}, -1), (Lines{tree.c, tree.deep})) << "absolute, directory kept";
}

TEST(Expand, DepthLimitsTheLevelsAndTestsALimitDirectoryAsALeaf)
{
    Tree tree;
    CFileFinder finder;
    EXPECT_EQ(Walked(finder, {tree.top, tree.side}, 0), (Lines{tree.top, tree.side}));
    Lines one = Walked(finder, {tree.top}, 1);
    EXPECT_EQ(one.size(), 4u);
    EXPECT_NE(std::find(one.begin(), one.end(), tree.sub), one.end());
    EXPECT_EQ(std::find(one.begin(), one.end(), tree.b), one.end());
    EXPECT_EQ(Walked(finder, {tree.top}, 2).size(), 6u) << "deep is listed, c.txt below it is not";
    EXPECT_EQ(Walked(finder, {tree.top}, -1).size(), 7u);
    EXPECT_EQ(finder.maxDepth, 99);
}

TEST(Expand, KindsAndNamePatternFilterWhileUnwantedDirectoriesAreStillWalked)
{
    Tree tree;
    CFileFinder finder;
    Lines files = Walked(finder, {tree.top}, -1, false, true);
    Lines expected;
    for (const std::string& path : tree.PostOrder(tree.top))
        if (std::filesystem::is_regular_file(path))
            expected.push_back(path);
    EXPECT_EQ(files, expected);
    EXPECT_EQ(Walked(finder, {tree.top, tree.side}, 0, false, true, "\\.log$"), (Lines{tree.side}));
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "\\.txt$").size(), 2u) << "ignoring case";
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "\\.txt$", false), (Lines{tree.c}));
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "^sub"), (Lines{tree.sub})) << "names only";
    EXPECT_EQ(Walked(finder, {tree.sub}, -1, true, true, "(unclosed").size(), 4u);
}

TEST(Expand, NeverDescendsThroughASymbolicLink)
{
    Tree tree;
    std::string outside = tree.Dir("outside");
    tree.File("outside/secret.txt");
    std::string link = tree.Path("top/empty/link");
    ASSERT_EQ(symlink(outside.c_str(), link.c_str()), 0);
    CFileFinder finder;
    EXPECT_EQ(Walked(finder, {tree.empty}, -1), (Lines{link, tree.empty}));
    EXPECT_TRUE(Walked(finder, {tree.empty, link}, -1, false, true).empty());
}

Lines Sorted(Lines lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(ExpandCriteria, SizeAndTimeRangesAreInclusiveInOneTimeBase)
{
    TempTree tree;
    std::string d = tree.Dir("d"), s0 = tree.File("d/s0", ""), s1 = tree.File("d/s1", "1"),
                s1000 = tree.File("d/s1000", std::string(1000, 'x'));
    tree.File("d/s1001", std::string(1001, 'x'));
    CFileFinder finder;
    ASSERT_TRUE(ParseSizeRange("1..1k", finder.criteria));
    EXPECT_EQ(Sorted(Walked(finder, {d}, -1)), Sorted({s1, s1000, d})) << "directories have no size row";
    finder.criteria = FinderCriteria{};
    std::time_t old = 1700000000;
    timespec when[2] = {{old, 0}, {old, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, s1.c_str(), when, 0), 0);
    char day[16];
    std::strftime(day, sizeof day, "%Y-%m-%d", std::localtime(&old));
    ASSERT_TRUE(ParseTimeRange(std::string(day) + ".." + day, TimeField::Modified, finder.criteria));
    EXPECT_EQ(Walked(finder, {d}, -1, false, true), (Lines{s1})) << "a local day covers the moment";
    finder.criteria = FinderCriteria{};
    ASSERT_TRUE(ParseTimeRange(std::string("..") + day, TimeField::Accessed, finder.criteria));
    EXPECT_EQ(Walked(finder, {d}, -1, false, true), (Lines{s1}));
    finder.criteria = FinderCriteria{};
    ASSERT_TRUE(ParseTimeRange(std::string(day) + "..", TimeField::Created, finder.criteria));
    EXPECT_EQ(Walked(finder, {d}, -1).size(), 5u) << "everything was created after that day";
}

TEST(ExpandCriteria, EmptyAndZeroSizeDirectoriesAreJudgedByTheirCountedContent)
{
    TempTree tree;
    std::string top = tree.Dir("top"), hollow = tree.Dir("top/hollow"), zero = tree.Dir("top/zero"),
                z = tree.File("top/zero/z", ""), full = tree.Dir("top/full"), f = tree.File("top/full/f", "1");
    CFileFinder finder;
    finder.criteria.criteriaOn = finder.criteria.contentOn = true;
    SetEmptyDirs(finder.criteria);
    EXPECT_EQ(Sorted(Walked(finder, {top}, -1)), Sorted({hollow, z, f}));
    EXPECT_EQ(Sorted(Walked(finder, {top}, -1, true, false)), Sorted({hollow, zero, full}))
        << "unwanted files never enter the tally";
    EXPECT_EQ(Walked(finder, {top}, 0, true, false), (Lines{top})) << "not walked at depth 0";
    SetZeroSizeDirs(finder.criteria);
    EXPECT_EQ(Sorted(Walked(finder, {top}, -1)), Sorted({hollow, zero, z, f}));
}

TEST(ExpandCriteria, AdvancedValuesBecomeCriteria)
{
    AdvancedValues values;
    std::time_t now = 1700000000 + 3600 * 5 + 61;
    values.OnOpening(now);
    std::tm local{};
    localtime_r(&values.todayMidnight, &local);
    EXPECT_EQ(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec, 0);
    EXPECT_EQ(values.modifyRow.maxTime, now);
    values.OnOpening(now + 86400);
    EXPECT_EQ(values.modifyRow.maxTime, now) << "first opening only";
    FinderCriteria criteria;
    criteria.minData.size = 7;
    ApplyAdvancedValues(values, criteria);
    EXPECT_FALSE(criteria.criteriaOn);
    EXPECT_EQ(criteria.minData.size, 7u) << "bounds untouched while nothing is on";
    values.sizeRowOn = values.modifyRow.on = values.zeroSizeDirs = true;
    values.minSizeNumber = 2;
    values.minSizeUnit = 1;
    values.maxSizeNumber = 3;
    values.maxSizeUnit = 2;
    values.modifyRow.minDate = values.todayMidnight - 86400;
    ApplyAdvancedValues(values, criteria);
    EXPECT_TRUE(criteria.criteriaOn && criteria.contentOn && criteria.writeTimeOn);
    EXPECT_FALSE(criteria.createTimeOn);
    EXPECT_EQ(criteria.minData.size, 2000u);
    EXPECT_EQ(criteria.maxData.size, 3000000u);
    EXPECT_EQ(criteria.minData.lastWriteTime, FileTimeFromCalendar(now - 86400));
    EXPECT_EQ(FileTimeFromCalendar(0), 116444736000000000ULL);
    EXPECT_EQ(criteria.maxFiles, 9999999);
    values.emptyDirs = true;
    ApplyAdvancedValues(values, criteria);
    EXPECT_EQ(criteria.maxFiles, 0) << "empty dirs wins";
}

TEST(ExpandCriteria, MalformedRangesAreRefusedAndLeaveTheCriteria)
{
    FinderCriteria criteria;
    for (const char* bad : {"", "5", "1..2..3", "5..1", "k..", "1x..", "..99999999999999999999"})
        EXPECT_FALSE(ParseSizeRange(bad, criteria)) << bad;
    for (const char* bad : {"2024-13-01..", "2024-02-30..", "..2024-03-01T25:00", "2024-3-1..",
                            "2024-03-02..2024-03-01", "2024-03-01T10:00:00Z.."})
        EXPECT_FALSE(ParseTimeRange(bad, TimeField::Modified, criteria)) << bad;
    EXPECT_FALSE(criteria.criteriaOn);
    ASSERT_TRUE(ParseSizeRange("..2m", criteria));
    EXPECT_EQ(criteria.maxData.size, 2000000u);
    ASSERT_TRUE(ParseTimeRange("2024-03-01T10:30..2024-03-01T10:30", TimeField::Modified, criteria));
    EXPECT_EQ(criteria.maxData.lastWriteTime - criteria.minData.lastWriteTime, 60 * 10000000ULL - 1);
}

TEST(ExpandCancel, StopsOpenListingsButVisitsEveryRemainingStartPath)
{
    TempTree tree;
    std::string first = tree.Dir("first"), file = tree.File("file"), last = tree.Dir("last");
    for (const char* name : {"first/1", "first/2", "first/3", "last/1", "last/2"})
        tree.File(name);
    ScriptedDesktop desktop;
    FileWiper wiper(desktop);
    TargetPage page(desktop, wiper);
    page.targets.lines.Assign({first, file, last});
    desktop.PressAtPump(1, [&] { page.OnExpand(); });
    page.OnExpand();
    Lines firstNames = Listing(first), lastNames = Listing(last);
    auto firstReal = std::find_if(firstNames.begin(), firstNames.end(), [](auto& n) { return n[0] != '.'; });
    Lines expected{first + "/" + *firstReal, first, file};
    if (lastNames[0][0] != '.')
        expected.push_back(last + "/" + lastNames[0]);
    expected.push_back(last);
    EXPECT_EQ(page.targets.Paths(), expected);
    EXPECT_EQ(page.targets.allCount, static_cast<int>(expected.size()));
    EXPECT_FALSE(page.finder.running);
}

TEST(ExpandPage, ExactMatchRewritesOnlyTheEffectivePatternAndFollowsIt)
{
    ScriptedDesktop desktop;
    FileWiper wiper(desktop);
    TargetPage page(desktop, wiper);
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
    page.OnPatternChanged("^x$");
    EXPECT_TRUE(page.exactMatch);
    page.OnPatternChanged("^x" + std::string(400, 'y'));
    EXPECT_FALSE(page.exactMatch);
    EXPECT_EQ(page.effectivePattern.size(), 299u);
    page.OnPageShown(true);
    page.OnPageShown(false);
    EXPECT_EQ(desktop.topmostCalls, (std::vector<bool>{true, false}));
    EXPECT_FALSE(page.alwaysOnTop);
}

TEST(ExpandPage, ExpandUsesThePageSettingsAndRefillsTheList)
{
    Tree tree;
    ScriptedDesktop desktop;
    FileWiper wiper(desktop);
    TargetPage page(desktop, wiper);
    page.targets.lines.Assign({tree.top, tree.side, tree.Path("gone"), tree.top});
    page.depthIndex = 1;
    page.wantDirs = false;
    page.OnPatternChanged("\\.(TXT|log)$");
    page.OnExpand();
    EXPECT_EQ(page.targets.Paths(), (Lines{tree.side}));
    page.targets.lines.Assign({tree.top});
    page.depthIndex = 0;
    page.wantDirs = true;
    page.OnPatternChanged("");
    page.finder.criteria.criteriaOn = page.finder.criteria.contentOn = true;
    SetEmptyDirs(page.finder.criteria);
    page.OnExpand();
    EXPECT_EQ(Sorted(page.targets.Paths()), Sorted({tree.a, tree.b, tree.c, tree.empty}));
    EXPECT_FALSE(page.targets.normalized);
    EXPECT_EQ(page.targets.fileCount, 3);
}

}  // namespace
