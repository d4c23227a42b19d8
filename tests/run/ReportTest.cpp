/*
 * The report list and the report file of a run with hits in contents and names.
 */
#include "RunFixture.h"
#include "run/RunTexts.h"

class ReportTest : public RunFixture {
protected:
    ReportTest()
    {
        job.pattern = "word";
        job.inFileNames = true;
        job.reportToFile = true;
        job.reportFilePath = dir / "report.txt";
    }
};

TEST_F(ReportTest, ListAndFileHoldEveryTargetBlockAndTheDistinctResults)
{
    const std::string a = File("a.txt", "Word x word");
    const std::string b = File("word.txt", "WORD");
    RunOver({a, b}, "a");
    EXPECT_EQ(report.Lines(), (std::vector<std::string>{runtext::kReportHeader, "Process started...", a,
                                                        "found in content:2", b, "found in content:1", b,
                                                        "found in name:1", "Total found:4", "Done."}));
    const std::string rule = "\r\n------------------------------------\r\n";
    EXPECT_EQ(ReadFile(job.reportFilePath),
              "Word\r\nword\r\n" + a + "\r\nfound in content:2" + rule + "WORD\r\n" + b + "\r\nfound in content:1" +
                  rule + "word\r\n" + b + "\r\nfound in name:1" + rule + rule + "All found results:\r\nWord\r\n");
    EXPECT_TRUE(run.State().allResults.Texts().empty());
}

TEST_F(ReportTest, ARunThatFindsNothingWritesOnlyTheClosingSection)
{
    File("report.txt", "old content of the report");
    RunOver({File("a.txt", "nothing here")}, "");
    EXPECT_EQ(report.Lines()[2], "Total found:0");
    EXPECT_EQ(ReadFile(job.reportFilePath), "\r\n------------------------------------\r\nAll found results:\r\n");
}

TEST_F(ReportTest, AReportFileAmongTheTargetsIsRefusedAndAnUnwritableOneIsTold)
{
    const std::string sub = dir / "sub";
    const std::string kept = File("sub/report.txt", "a target's own words");
    job.reportFilePath = kept;
    targets.lines.Assign({sub});
    run.StartRun();
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{runtext::kReportIsTarget + kept + "\n" + sub});
    EXPECT_EQ(ReadFile(kept), "a target's own words");

    job.reportFilePath = File("plain", "x") + "/report.txt";
    RunOver({File("a.txt", "word")}, "a");
    EXPECT_EQ(report.Line(2), job.reportFilePath + ": " + runtext::kReportFileFailed + ": Not a directory");
}
