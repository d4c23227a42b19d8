/*
 * Tests of the seams' own logic: the routing of list diagnostics to the desktop, and the line
 * list's selection and change notifications. (The folder chooser's start folder, Cancel and
 * unavailable browser are seen through the configuration page's folder choosers; the scripted
 * desktop's queues and presses are exercised by every test that scripts answers or presses.)
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/CWexList.h"
#include "base/Desktop.h"
#include "base/LineList.h"
#include "fakes/ScriptedDesktop.h"

TEST(DesktopTest, ListDiagnosticsBecomeNoticesWithTheirCaption)
{
    ScriptedDesktop desktop;
    ShowWexDiagnosticsOn(desktop);
    ReportWexDiagnostic("broken");
    SetWexDiagnosticHook(nullptr);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "broken");
    EXPECT_EQ(desktop.messages[0].caption, "Message from CWexList::_t_Test()");
}

TEST(LineListTest, SelectionFollowsTheLinesAndChangesAreBracketed)
{
    LineList list;
    std::vector<std::string> log;
    int id = list.Subscribe([&](const LineListChange& change) {
        log.push_back(std::to_string(static_cast<int>(change.kind)) +
                      (change.phase == LineListChange::Phase::Before ? "b" : "a") +
                      std::to_string(change.first));
    });
    list.Assign({"a", "b", "c", "d"});
    list.Select(1, true);
    list.Select(3, true);
    EXPECT_TRUE(list.Insert(0, "z"));
    EXPECT_EQ(list.SelectedIndices(), (std::vector<std::size_t>{2, 4}));
    EXPECT_FALSE(list.Insert(9, "out"));
    EXPECT_FALSE(list.Select(9, true));

    log.clear();
    EXPECT_EQ(list.RemoveSelected(), 2u);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"z", "a", "c"}));
    EXPECT_EQ(list.SelectedCount(), 0u);
    EXPECT_EQ(log, (std::vector<std::string>{"1b4", "1a4", "1b2", "1a2"}));
    list.AppendLines({"r0", "r1", "r2"});
    list.Select(4, true);
    list.Select(5, true);
    log.clear();
    EXPECT_EQ(list.RemoveSelected(), 2u);
    EXPECT_EQ(log, (std::vector<std::string>{"1b4", "1a4"})) << "a run is removed at once";
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"z", "a", "c", "r0"}));

    std::vector<std::string> many;
    for (int i = 0; i < 100; ++i)
        many.push_back(std::to_string(i));
    list.AppendLines(many);
    for (std::size_t i = 4; i < list.Count(); i += 2)
        list.Select(i, true);
    log.clear();
    EXPECT_EQ(list.RemoveSelected(), 50u);
    EXPECT_EQ(log, (std::vector<std::string>{"4b0", "4a0"})) << "scattered runs become a reset";
    ASSERT_EQ(list.Count(), 54u);
    EXPECT_EQ(list.Line(53), "99");
    EXPECT_EQ(list.SelectedCount(), 0u);
    list.SetLine(1, "A");
    list.Unsubscribe(id);
    list.Append("quiet");
    EXPECT_EQ(log.back(), "2a1");
    EXPECT_EQ(list.Line(54), "quiet");
}
