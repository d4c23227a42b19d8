/*
 * The target list: drops, refills, gatherings, recounts, normalisation and the counters.
 */
#include "targets/TargetList.h"

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "fakes/ScriptedDesktop.h"
#include "targets/TempTree.h"

namespace {

using Lines = std::vector<std::string>;

// Records what the page would show.
struct RecordingView : TargetListView {
    std::int32_t all = -1, dirs = -1, files = -1;
    Lines statuses;
    void ShowCounters(std::int32_t a, std::int32_t d, std::int32_t f) override { all = a, dirs = d, files = f; }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
};

TEST(TargetList, DropMakesNamesAbsoluteSkipsUnknownOnesAndHintsAtDirectories)
{
    TempTree tree;
    std::string nested = tree.File("sub/a.txt"), upper = tree.File("B.txt"), lower = tree.File("b.txt");
    std::string dir = tree.Dir("d");
    TargetList list;
    ScriptedDesktop desktop;
    Lines skipped;
    {
        CurrentDirectory here(tree.root);
        list.OnDropFiles(desktop, {{"sub/a.txt", "missing", "B.txt", upper, "b.txt"}, 5, 5}, &skipped);
        EXPECT_EQ(list.Paths(), (Lines{nested, upper, lower})) << "B.txt and b.txt are two files";
        EXPECT_EQ(skipped, (Lines{"missing"}));
        EXPECT_EQ(list.fileCount, 3);
        EXPECT_TRUE(desktop.messages.empty()) << "files only: no hint";
        // "." and a name ending in ".." are the directory they mean.
        list.OnDropFiles(desktop, {{dir, ".", lower, "sub/.."}, 0, 0});
    }
    EXPECT_EQ(list.Paths(), (Lines{nested, upper, lower, dir, tree.root}));
    EXPECT_EQ(desktop.MessageTexts(), (Lines{kDirectoriesHint}));
    list.OnDropFiles(desktop, {{upper}, 0, 0});
    EXPECT_EQ(desktop.messages.size(), 2u) << "a file dropped while a directory is listed";
    CWexList<CDynString> taken;
    FileDrop outside{{upper}, 10001, 0}, edge{{upper, "gone"}, 10000, 10000};
    EXPECT_EQ(CFileFinder::AddDroppedFiles(&outside, true, taken, 0, 0, 10000, 10000), 0);
    EXPECT_EQ(CFileFinder::AddDroppedFiles(&edge, true, taken, 0, 0, 10000, 10000), 2);
    EXPECT_EQ(taken.count, 1);
}

TEST(TargetList, RefillGatherAndRecountCountOnlyExistingDistinctPaths)
{
    TempTree tree;
    std::string a = tree.File("a"), b = tree.File("b"), d = tree.Dir("d");
    TargetList list;
    RecordingView view;
    list.view = &view;
    list.lines.Append(a);
    list.outputList.add(PathString(d));
    list.outputList.add(PathString(tree.At("gone")));
    list.outputList.add(PathString(a));
    list.inputList.add(PathString(a));
    list.FillListFromOutput(false);
    EXPECT_EQ(list.Paths(), (Lines{a, d}));
    EXPECT_EQ(view.all, 1) << "without reset the old lines are not counted again";
    EXPECT_EQ(view.statuses.back(), "");
    EXPECT_EQ(list.inputList.count + list.outputList.count, 0);
    EXPECT_FALSE(list.normalized);
    list.lines.Assign({a, tree.At("gone"), d, a, "..", tree.At("d/."), b});
    std::filesystem::remove(b);
    list.GatherList();
    EXPECT_EQ(list.lines.Count(), 7u);
    ASSERT_EQ(list.outputList.count, 2);
    EXPECT_EQ(list.outputList[1]->View(), d);
    list.RecountList();
    EXPECT_EQ(view.all, 3) << "a counted twice, the rest gone";
    list.lines.Select(0, true);
    list.lines.Select(2, true);
    list.DeleteSelectedLines();
    EXPECT_EQ(list.allCount, 1);
    EXPECT_EQ(list.dirCount, 0);
    list.OnFinderNotify(0, a.c_str(), kPathFile);
    list.OnFinderNotify(1, d.c_str(), kPathDirectory);
    EXPECT_EQ(view.statuses.back(), d) << "the examined path is shown";
    EXPECT_EQ(std::vector<int>({view.all, view.files, view.dirs}), std::vector<int>({2, 1, 1}));
}

TEST(TargetList, NormalizeDropsVanishedAndRepeatedLinesAndSortsIgnoringCaseOnce)
{
    TempTree tree;
    std::string b = tree.File("b"), upperA = tree.File("A"), c = tree.Dir("c"), lowerA = tree.File("a");
    TargetList list;
    list.lines.Assign({b, upperA});
    std::filesystem::remove(upperA);
    EXPECT_TRUE(list.NormalizeTargets());
    EXPECT_EQ(list.Paths(), (Lines{b, upperA})) << "already normalized: nothing happens";
    WriteFile(upperA, "A");
    list.normalized = false;
    list.lines.Assign({b, tree.At("gone"), c, upperA, b, lowerA});
    EXPECT_TRUE(list.NormalizeTargets());
    ASSERT_EQ(list.lines.Count(), 4u);
    EXPECT_EQ(Lines(list.Paths().begin() + 2, list.Paths().end()), (Lines{b, c}));
    EXPECT_NE(list.lines.Line(0), list.lines.Line(1));
    EXPECT_EQ(list.fileCount, 3);
    EXPECT_TRUE(list.normalized);
    list.normalized = false;
    list.Empty();
    EXPECT_EQ(list.lines.Count() + list.allCount + list.fileCount + list.dirCount, 0);
    EXPECT_FALSE(list.normalized);
}

TEST(TargetList, ANormalisationRightAfterTheRefillOnlySortsUnlessTheLinesChangedSince)
{
    TempTree tree;
    std::string b = tree.File("b"), upperA = tree.File("A"), c = tree.Dir("c"), lowerA = tree.File("a");
    TargetList checked, refilled;
    checked.lines.Assign({b, upperA, c, lowerA});
    checked.normalized = false;
    checked.NormalizeTargets();
    for (const std::string& path : {b, upperA, c, lowerA})
        refilled.outputList.add(PathString(path));
    // The kinds a walk has just read are taken as they are.
    refilled.FillListFromOutput(true, {kPathFile, kPathFile, kPathDirectory, kPathDirectory});
    EXPECT_EQ(std::vector<int>({refilled.fileCount, refilled.dirCount}), std::vector<int>({2, 2}));
    std::filesystem::remove(b);
    refilled.lines.Select(0, true);
    EXPECT_TRUE(refilled.NormalizeRefilledTargets());
    EXPECT_EQ(refilled.Paths(), checked.Paths()) << "same order, and b is not asked about again";
    EXPECT_TRUE(refilled.normalized);

    // A line changed after the refill: every line is checked again.
    refilled.outputList.add(PathString(upperA));
    refilled.FillListFromOutput(true);
    refilled.lines.Append(tree.At("gone"));
    refilled.lines.Append(upperA);
    EXPECT_TRUE(refilled.NormalizeRefilledTargets());
    EXPECT_EQ(refilled.Paths(), (Lines{upperA}));
    EXPECT_EQ(refilled.allCount, 1);
}

}  // namespace
