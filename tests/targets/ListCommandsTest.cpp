/*
 * The list commands on the target list and on the report list: their questions, messages,
 * counts and clipboard texts.
 */
#include "targets/ListCommands.h"

#include <gtest/gtest.h>

#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"

namespace {

using Lines = std::vector<std::string>;
constexpr DesktopAnswer kYes = DesktopAnswer::Yes;

struct ListCommands : ::testing::Test {
    TempDir tree;
    ScriptedDesktop desktop;
    TargetList targets;
    LineList report;
    std::string x = tree.File("X"), y = tree.File("Y"), z = tree.File("Z"), w = tree.File("W");
    void Run(ListCommand command, std::deque<DesktopAnswer> answers = {}, LineList* list = nullptr)
    {
        desktop.answers = answers;
        list != nullptr ? RunListCommand(desktop, *list, command) : RunListCommand(desktop, targets, command);
    }
};

TEST_F(ListCommands, CopyJoinsLinesWithCrLfAndReportsPerList)
{
    Run(ListCommand::CopyAll);
    targets.lines.Assign({x, w, y, z});
    Run(ListCommand::CopySelected);
    for (std::size_t i : {0, 2, 3})
        targets.lines.Select(i, true);
    Run(ListCommand::CopySelected, {kYes});
    EXPECT_EQ(desktop.clipboard, x + "\r\n" + y + "\r\n" + z);
    report.Assign({"only"});
    Run(ListCommand::CopyAll, {kYes}, &report);
    EXPECT_EQ(desktop.clipboard, "only");
    Run(ListCommand::CopyAll, {DesktopAnswer::No});
    EXPECT_EQ(desktop.MessageTexts(),
              (Lines{"Nothing to copy.", "Nothing to copy.", "Copy 3 items to the clipboard?",
                     "3 items has copied to the clipboard", "Copy all list items to the clipboard?",
                     "1 items has copied on the clipboard", "Copy all list items to the clipboard?"}));
}

TEST_F(ListCommands, PasteTakesExistingPathsOnceIntoTargetsAndRepeatsIntoTheReport)
{
    Run(ListCommand::Paste);
    targets.lines.Assign({x});
    std::string dir = tree.Dir("sub/dir");
    desktop.clipboard = "\t" + y + "\t\r\n\r\n" + x + "\nmissing\n..\nsub/dir\r\n";
    {
        CurrentDirectory here(tree.Path());
        Run(ListCommand::Paste, {kYes});
    }
    EXPECT_EQ(targets.Paths(), (Lines{x, y, dir}));
    desktop.clipboard = x + "\r\nnot there\t" + x;
    Run(ListCommand::Paste, {}, &report);
    Run(ListCommand::Paste, {kYes}, &report);
    EXPECT_EQ(report.Lines(), (Lines{x, x}));
    EXPECT_EQ(desktop.MessageTexts(), (Lines{"Nothing to paste.", "Append 6 clipboard items to the listbox?",
                                             kDirectoriesHint, "Append clipboard items to the listbox?",
                                             "Append clipboard items to the listbox?"}));
}

TEST_F(ListCommands, LeaveItemsNotOnTheClipboardCountsWhatWentAndWhatRemained)
{
    targets.lines.Assign({x, y, z, w, x});
    Run(ListCommand::LeaveNotOnClipboard);
    EXPECT_TRUE(desktop.messages.empty());
    std::filesystem::remove(w);
    desktop.clipboard = y + "\n" + z;
    Run(ListCommand::LeaveNotOnClipboard, {kYes});
    EXPECT_EQ(targets.Paths(), (Lines{x}));
    EXPECT_EQ(desktop.MessageTexts(), (Lines{"Leave items not on the cipboard?", "4 items removed,\n1 remained."}));
}

TEST_F(ListCommands, DeleteLeaveSelectAndExploreWorkOnTheSelection)
{
    targets.lines.Assign({x, y, z, w});
    Run(ListCommand::DeleteSelected);
    Run(ListCommand::ExploreSelected);
    Run(ListCommand::InvertSelection);
    Run(ListCommand::ExploreSelected);
    targets.lines.Select(0, false);
    targets.lines.Select(2, false);
    Run(ListCommand::DeleteSelected, {DesktopAnswer::Cancel});
    Run(ListCommand::DeleteSelected, {kYes});
    EXPECT_EQ(targets.Paths(), (Lines{x, z}));
    EXPECT_EQ(targets.allCount, 2);
    report.Assign({"a", "b", "c"});
    report.Select(1, true);
    Run(ListCommand::ExploreSelected, {}, &report);
    Run(ListCommand::LeaveSelected, {kYes}, &report);
    EXPECT_EQ(report.Lines(), (Lines{"b"}));
    targets.lines.Select(1, true);
    Run(ListCommand::ExploreSelected);
    EXPECT_EQ(desktop.openedPaths, (Lines{z}));
    EXPECT_EQ(desktop.MessageTexts(), (Lines{"Nothing to explore.", "Only one file/dir can be explored!",
                                             "Delete the 2 items from the list?", "Delete the 2 items from the list?",
                                             "Delete the 2 items from the list?"}));
    Run(ListCommand::SelectAll);
    Run(ListCommand::DeselectAll, {}, &report);
    EXPECT_EQ(targets.lines.SelectedCount() + report.SelectedCount(), 2u);
}

}  // namespace
