/*
 * The target list: drops, refills, gatherings, recounts, normalisation and the counters.
 */
#include "targets/TargetList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/ScriptedDesktop.h"
#include "targets/TempTree.h"

namespace {

using Lines = std::vector<std::string>;

// Records what the page would show.
struct RecordingView : TargetListView {
    std::int32_t all = -1, dirs = -1, files = -1;
    std::vector<std::string> statuses;
    void ShowCounters(std::int32_t a, std::int32_t d, std::int32_t f) override
    {
        all = a;
        dirs = d;
        files = f;
    }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
};

FileDrop Drop(std::vector<std::string> names)
{
    return FileDrop{std::move(names), 5, 5};
}

TEST(TargetListDrop, MakesNamesAbsoluteKeepingTheirDirectoryAndSkipsUnknownOnes)
{
    TempTree tree;
    std::string nested = tree.File("sub/a.txt");
    std::string upper = tree.File("B.txt");
    std::string lower = tree.File("b.txt");
    TargetList list;
    ScriptedDesktop desktop;
    std::vector<std::string> skipped;
    {
        CurrentDirectory here(tree.root);
        list.OnDropFiles(desktop, Drop({"sub/a.txt", "missing.txt", "B.txt", ".", "sub/..",
                                        upper, "b.txt"}),
                         &skipped);
    }
    EXPECT_EQ(list.Paths(), (Lines{nested, upper, lower}));
    EXPECT_EQ(skipped, (Lines{"missing.txt", ".", "sub/.."}));
    EXPECT_EQ(list.fileCount, 3);
    EXPECT_EQ(list.allCount, 3);
    EXPECT_FALSE(list.normalized);
    EXPECT_TRUE(desktop.messages.empty()) << "files only: no directories hint";
    EXPECT_EQ(list.outputList.count, 0);
}

TEST(TargetListDrop, AddsNothingTwiceAndHintsWhenAnyDirectoryIsListed)
{
    TempTree tree;
    std::string dir = tree.Dir("d");
    std::string file = tree.File("f.txt");
    TargetList list;
    ScriptedDesktop desktop;
    list.OnDropFiles(desktop, Drop({dir}));
    ASSERT_EQ(desktop.MessageTexts(), (Lines{kDirectoriesHint}));
    list.OnDropFiles(desktop, Drop({file, dir, file}));
    EXPECT_EQ(list.Paths(), (Lines{dir, file}));
    EXPECT_EQ(list.dirCount, 1);
    EXPECT_EQ(list.fileCount, 1);
    EXPECT_EQ(desktop.messages.size(), 2u) << "a file dropped while a directory is listed";
    EXPECT_EQ(desktop.messages[1].caption, "Quillmend");
}

TEST(TargetListDrop, TakesNothingOutsideTheBoundsOrWithoutADrop)
{
    TempTree tree;
    std::string file = tree.File("f.txt");
    CWexList<CDynString> list;
    FileDrop outside{{file}, 10001, 3};
    EXPECT_EQ(CFileFinder::AddDroppedFiles(&outside, true, list, 0, 0, 10000, 10000), 0);
    EXPECT_EQ(CFileFinder::AddDroppedFiles(nullptr, true, list, 0, 0, 10000, 10000), 0);
    EXPECT_EQ(list.count, 0);
    FileDrop edge{{file, "gone"}, 10000, 0};
    EXPECT_EQ(CFileFinder::AddDroppedFiles(&edge, true, list, 0, 0, 10000, 10000), 2)
        << "the number of dropped names, not of names taken";
    EXPECT_EQ(list.count, 1);
}

TEST(TargetListRefill, FillAppendsOnlyNewExistingPathsAndEmptiesTheWorkingLists)
{
    TempTree tree;
    std::string a = tree.File("a");
    std::string d = tree.Dir("d");
    TargetList list;
    RecordingView view;
    list.view = &view;
    list.lines.Append(a);
    list.normalized = true;
    list.outputList.add(PathString(d));
    list.outputList.add(PathString(tree.Path("gone")));
    list.outputList.add(PathString(a));
    list.inputList.add(PathString(a));
    list.FillListFromOutput(false);
    EXPECT_EQ(list.Paths(), (Lines{a, d}));
    EXPECT_EQ(list.dirCount, 1);
    EXPECT_EQ(list.fileCount, 0) << "without reset the old lines are not counted again";
    EXPECT_EQ(view.all, 1);
    EXPECT_EQ(view.statuses.back(), "");
    EXPECT_EQ(list.inputList.count, 0);
    EXPECT_EQ(list.outputList.count, 0);
    EXPECT_FALSE(list.normalized);
}

TEST(TargetListRefill, GatherKeepsTheLinesAndCollectsTheExistingDistinctOnes)
{
    TempTree tree;
    std::string a = tree.File("a");
    std::string d = tree.Dir("d");
    TargetList list;
    list.lines.Assign({a, tree.Path("gone"), d, a, "..", tree.Path("d/.")});
    list.GatherList();
    EXPECT_EQ(list.lines.Count(), 6u);
    ASSERT_EQ(list.outputList.count, 2);
    EXPECT_EQ(list.outputList[0]->View(), a);
    EXPECT_EQ(list.outputList[1]->View(), d);
    EXPECT_EQ(list.allCount, 2);
}

TEST(TargetListRefill, RecountCountsOnlyWhatStillExists)
{
    TempTree tree;
    std::string a = tree.File("a");
    std::string b = tree.File("b");
    std::string d = tree.Dir("d");
    TargetList list;
    list.lines.Assign({a, b, d});
    std::filesystem::remove(b);
    list.RecountList();
    EXPECT_EQ(list.fileCount, 1);
    EXPECT_EQ(list.dirCount, 1);
    EXPECT_EQ(list.allCount, 2);
    EXPECT_EQ(list.lines.Count(), 3u);
}

TEST(TargetListNormalize, DropsVanishedAndRepeatedLinesAndSortsWithoutRegardToCase)
{
    TempTree tree;
    std::string b = tree.File("b");
    std::string upperA = tree.File("A");
    std::string c = tree.Dir("c");
    std::string lowerA = tree.File("a");
    TargetList list;
    list.normalized = false;
    list.lines.Assign({b, tree.Path("gone"), c, upperA, b, lowerA});
    list.lines.Select(0, true);
    EXPECT_TRUE(list.NormalizeTargets());
    ASSERT_EQ(list.lines.Count(), 4u);
    EXPECT_TRUE(list.lines.Line(0) == upperA || list.lines.Line(0) == lowerA);
    EXPECT_TRUE(list.lines.Line(1) == upperA || list.lines.Line(1) == lowerA);
    EXPECT_NE(list.lines.Line(0), list.lines.Line(1)) << "A and a are two targets";
    EXPECT_EQ(list.lines.Line(2), b);
    EXPECT_EQ(list.lines.Line(3), c);
    EXPECT_EQ(list.lines.SelectedCount(), 0u);
    EXPECT_EQ(list.fileCount, 3);
    EXPECT_EQ(list.dirCount, 1);
    EXPECT_TRUE(list.normalized);
}

TEST(TargetListNormalize, DoesNothingOnANormalizedList)
{
    TempTree tree;
    std::string b = tree.File("b");
    std::string a = tree.File("a");
    TargetList list;
    list.lines.Assign({b, a});
    std::filesystem::remove(a);
    EXPECT_TRUE(list.NormalizeTargets());
    EXPECT_EQ(list.Paths(), (Lines{b, a}));
}

TEST(TargetListEdit, DeleteSelectedRecountsAndEmptyKeepsTheNormalizedFlag)
{
    TempTree tree;
    std::string a = tree.File("a");
    std::string b = tree.File("b");
    std::string d = tree.Dir("d");
    TargetList list;
    list.lines.Assign({a, b, d});
    list.lines.Select(0, true);
    list.lines.Select(2, true);
    list.DeleteSelectedLines();
    EXPECT_EQ(list.Paths(), (Lines{b}));
    EXPECT_EQ(list.allCount, 1);
    EXPECT_EQ(list.dirCount, 0);
    list.normalized = false;
    list.outputList.add(PathString(a));
    list.Empty();
    EXPECT_EQ(list.lines.Count(), 0u);
    EXPECT_EQ(list.allCount + list.fileCount + list.dirCount, 0);
    EXPECT_EQ(list.outputList.count, 0);
    EXPECT_FALSE(list.normalized);
}

TEST(TargetListEdit, FinderNotificationsRaiseTheCountersOfAddedPathsOnly)
{
    TempTree tree;
    std::string a = tree.File("a");
    std::string d = tree.Dir("d");
    TargetList list;
    RecordingView view;
    list.view = &view;
    list.OnFinderNotify(0, a.c_str());
    list.OnFinderNotify(1, a.c_str());
    list.OnFinderNotify(2, d.c_str());
    EXPECT_EQ(view.statuses, (Lines{a, a, d}));
    EXPECT_EQ(view.all, 2);
    EXPECT_EQ(view.files, 1);
    EXPECT_EQ(view.dirs, 1);
    EXPECT_EQ(list.lines.Count(), 0u);
}

}  // namespace
