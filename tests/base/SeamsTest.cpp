/*
 * Tests of the seams' own logic: the folder chooser's start folder and Cancel rule, the
 * scripted desktop's queues and pump-delivered presses that other layers' tests rely on,
 * and the line list's selection and change notifications.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/CWexList.h"
#include "base/Desktop.h"
#include "base/LineList.h"
#include "fakes/ScriptedDesktop.h"

TEST(ChooseFolderTest, StartFolderAndCancel)
{
    ScriptedDesktop desktop;
    desktop.folderResults.push_back({FolderBrowseOutcome::Chosen, "/picked"});
    EXPECT_STREQ(ChooseFolder(desktop, "/start", "/default", "Temp dir", 400, 500).GetText(), "/picked");
    ASSERT_EQ(desktop.folderRequests.size(), 1u);
    EXPECT_EQ(desktop.folderRequests[0].startFolder, "/start");
    EXPECT_EQ(desktop.folderRequests[0].height, 500);
    EXPECT_STREQ(ChooseFolder(desktop, "", "/default", "t", 400, 500).GetText(), "/default")
        << "Cancel returns the start folder, here the default";
    EXPECT_STREQ(ChooseFolder(desktop, "/kept", nullptr, "t", 400, 500).GetText(), "/kept");
    desktop.folderResults.push_back({FolderBrowseOutcome::Unavailable, ""});
    EXPECT_STREQ(ChooseFolder(desktop, "/kept", nullptr, "t", 400, 500).GetText(), "");
}

TEST(ScriptedDesktopTest, AnswersAndPressesArriveInOrder)
{
    ScriptedDesktop desktop;
    desktop.answers = {DesktopAnswer::Yes, DesktopAnswer::Cancel};
    EXPECT_TRUE(desktop.AskYesNo("first?"));
    EXPECT_EQ(desktop.AskYesNoCancel("second?", "Other"), DesktopAnswer::Cancel);
    EXPECT_FALSE(desktop.AskYesNo("third?"));
    EXPECT_EQ(desktop.unansweredQuestions, 1);
    EXPECT_EQ(desktop.MessageTexts(), (std::vector<std::string>{"first?", "second?", "third?"}));
    EXPECT_EQ(desktop.messages[0].caption, "Quillmend");
    EXPECT_EQ(desktop.messages[1].caption, "Other");

    std::vector<int> pressedAt;
    desktop.PressAtPump(3, [&] { pressedAt.push_back(desktop.pumpCount + desktop.pumpOneCount); });
    desktop.PressAtPump(1, [&] { pressedAt.push_back(desktop.pumpCount + desktop.pumpOneCount); });
    for (int i = 0; i < 4; ++i)
        (i % 2 == 0) ? desktop.PumpMessages() : desktop.PumpOneMessage();
    EXPECT_EQ(pressedAt, (std::vector<int>{1, 3}));

    ShowWexDiagnosticsOn(desktop);
    ReportWexDiagnostic("broken");
    SetWexDiagnosticHook(nullptr);
    EXPECT_EQ(desktop.messages.back().text, "broken");
    EXPECT_EQ(desktop.messages.back().caption, "Message from CWexList::_t_Test()");
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
