/*
 * The start of a run: every message and question in its order, and what each answer does.
 */
#include "RunFixture.h"
#include "run/RunTexts.h"

using Kind = ScriptedDesktop::Message::Kind;

class StartRunTest : public RunFixture {
protected:
    // The questions and notices shown, in order.
    std::vector<std::string> Shown() const { return desktop.MessageTexts(); }
};

TEST_F(StartRunTest, EachCheckStopsWithItsNoticeBeforeAnythingChanges)
{
    const std::string target = File("a.txt", "qmend");
    job.inContent = false;
    run.StartRun();
    job.inContent = true;
    job.pattern.clear();
    run.StartRun();
    job.pattern = "qmend";
    run.StartRun();
    List({target});
    job.pattern = "(";
    run.StartRun();
    Replace("q", "$3");
    run.StartRun();
    EXPECT_EQ(Shown(), (std::vector<std::string>{runtext::kNothingChecked, runtext::kNoPhrase, runtext::kNoFile,
                                                 runtext::kRegexpError, runtext::kRegexpError}));
    for (const auto& message : desktop.messages) {
        EXPECT_EQ(message.kind, Kind::Notice);
        EXPECT_EQ(message.caption, "Quillmend");
    }
    EXPECT_EQ(report.Count(), 0u);
    EXPECT_EQ(ReadFile(target), "qmend");
}

TEST_F(StartRunTest, ReplacingAsksWarningBackupArchiverTempDirAndStartInOrder)
{
    using namespace runtext;
    const std::string target = File("a.txt", "qmend");
    List({target});
    Replace("qmend", "X");
    job.tempDir = dir / "missing-temp";
    run.SetArchiverPath(CDynString((dir / "7za").c_str()));
    const std::string archiver = std::string(kArchiverMissingHead) + "7za" + kArchiverMissingTail;
    constexpr auto Y = DesktopAnswer::Yes, N = DesktopAnswer::No;
    // Answers run out as No.
    const struct {
        bool archiverAndTempDirThere;
        std::deque<DesktopAnswer> answers;
        std::vector<std::string> shown;
    } cases[] = {
        {false, {}, {kChangeWarning}},
        {false, {Y, Y, Y, N}, {kChangeWarning, kBackupQuestion, archiver, kTempDirMissing}},
        {false, {Y, Y, N}, {kChangeWarning, kBackupQuestion, archiver}},
        {false, {Y, N, N}, {kChangeWarning, kBackupQuestion, kStartQuestion}},
        {false, {Y, Y, Y, Y, N}, {kChangeWarning, kBackupQuestion, archiver, kTempDirMissing, kStartQuestion}},
        // The archive dialog, cancelled, goes on to the start.
        {true, {Y, Y, N}, {kChangeWarning, kBackupQuestion, kStartQuestion}},
    };
    for (const auto& c : cases) {
        if (c.archiverAndTempDirThere) {
            File("7za", "");
            job.tempDir = dir.Path();
        }
        desktop.messages.clear();
        desktop.answers = c.answers;
        run.StartRun();
        EXPECT_EQ(Shown(), c.shown) << &c - cases;
    }
    EXPECT_EQ(desktop.fileRequests.size(), 1u);
    EXPECT_EQ(ReadFile(target), "qmend");
}

TEST_F(StartRunTest, BadBufferSettingsNeverStartARun)
{
    const std::string target = File("a.txt", "qmend qmend");
    List({target});
    Replace("qmend", "X");
    for (const auto& [size, overlap] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {10, 10}, {10, 0}, {10, 11}, {(1u << 30) + 1, 4}}) {
        job.bufferSize = size;
        job.overlap = overlap;
        run.OnProcessAll(true);
        run.RunJob();
        EXPECT_EQ(report.Lines(), (std::vector<std::string>{runtext::kReportHeader, "Process started...", "Error!", "Done."}));
        EXPECT_EQ(desktop.MessageTexts().back(), "Initialization error!");
        EXPECT_FALSE(run.State().running);
    }
    EXPECT_EQ(ReadFile(target), "qmend qmend");
    EXPECT_EQ(view.texts.back(), "Process done, see report.");
}

TEST_F(StartRunTest, ButtonsOutsideARunDoNothingAndSearchOnlyAsksOnlyToStart)
{
    run.OnCancel();
    run.OnSkipFile();
    run.OnSkipWord();
    EXPECT_EQ(run.State().answer, 0);
    EXPECT_EQ(run.State().fileState, 0);
    const std::string b = File("b.txt", "qmend");
    const std::string a = File("a.txt", "qmend");
    List({b, dir / "gone.txt", a});
    targets.normalized = false;
    desktop.answers = {DesktopAnswer::Yes};
    Answer("yy");
    run.OnGoButton();
    EXPECT_EQ(report.Lines(), (std::vector<std::string>{runtext::kReportHeader, "Process started...", a,
                                                        "found in content:1", b, "found in content:1",
                                                        "Total found:2", "Done."}));
    EXPECT_EQ(Shown(), std::vector<std::string>{runtext::kStartQuestion});
    EXPECT_EQ(progress.upper, 2);
    EXPECT_EQ(progress.position, 2);
}
