/*
 * The content scan: the buffer arithmetic, empty matches, the answers and what they leave
 * in the file.
 */
#include <random>

#include "RunFixture.h"
#include "run/RunTexts.h"

class ScanContentTest : public RunFixture {
protected:
    // Runs the job over one file with every occurrence taken; the occurrences found.
    int ProcessAll(const std::string& path)
    {
        RunOver({path}, "a");
        return run.State().totalFound;
    }
};

TEST_F(ScanContentTest, ChunkEndsNeitherSplitNorDoubleAnOccurrence)
{
    job.bufferSize = 10;
    job.overlap = 4;
    Replace("abc", "<$0>");
    // Bytes 8 to 10: the first chunk ends after byte 9, the second begins at byte 6. Then one
    // match ends exactly at the first chunk's end, and one at the end of the file.
    const std::string across = File("a.txt", "01234567abcdefgh");
    const std::string ends = File("b.txt", "0123456abcxyzabc");
    RunOver({across, ends}, "a");
    EXPECT_EQ(run.State().totalFound, 3);
    EXPECT_EQ(ReadFile(across), "01234567<abc>defgh");
    EXPECT_EQ(ReadFile(ends), "0123456<abc>xyz<abc>");
}

TEST_F(ScanContentTest, AMatchThatCouldGoOnPastTheChunkEndIsTakenWhole)
{
    job.bufferSize = 16;
    job.overlap = 8;
    Replace("\\w+@\\w+\\.\\w+", "<$0>");
    // The first chunk ends inside the address, after "a@c.efg".
    const std::string path = File("mail.txt", "xxxxxxxx a@c.efgh yyyyyyyy");
    RunOver({path}, "a");
    EXPECT_EQ(ReadFile(path), "xxxxxxxx <a@c.efgh> yyyyyyyy");
}

TEST_F(ScanContentTest, EmptyMatchesAreNeverCountedAndNeverCostAByte)
{
    Replace("\\d*", "<$0>");
    const std::string digits = File("d.txt", "ab1cd\n");
    EXPECT_EQ(ProcessAll(digits), 1);
    EXPECT_EQ(ReadFile(digits), "ab<1>cd\n");
    report.Clear();
    Replace("(foo)?", "[$1]");
    const std::string optional = File("o.txt", "xx foo yy");
    targets.lines.Clear();
    EXPECT_EQ(ProcessAll(optional), 1);
    EXPECT_EQ(ReadFile(optional), "xx [foo] yy");
}

TEST_F(ScanContentTest, ManyChunksCountAndReplaceEveryOccurrenceOnce)
{
    job.bufferSize = 64;
    job.overlap = 8;
    Replace("needle", "NEEDLE!");
    std::mt19937 random(7);
    std::string text;
    std::string expected;
    int planted = 0;
    while (text.size() < 20000) {
        const std::string filler(random() % 70, static_cast<char>('a' + random() % 3));
        text += filler;
        expected += filler;
        if (random() % 2) {
            text += "needle";
            expected += "NEEDLE!";
            ++planted;
        }
    }
    const std::string path = File("big.txt", text);
    EXPECT_EQ(ProcessAll(path), planted);
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ScanContentTest, NulBytesAreSearchedAndWrittenBack)
{
    Replace("b\\x00c", "[$0]");
    const std::string bytes("a\0b\0c\0\0d", 8);
    const std::string path = File("nul.bin", bytes);
    EXPECT_EQ(ProcessAll(path), 1);
    EXPECT_EQ(ReadFile(path), std::string("a\0[b\0c]\0\0d", 10));
}

TEST_F(ScanContentTest, AnswersDecideEachOccurrence)
{
    Replace("w\\d", "X");
    const std::string path = File("w.txt", "w1 w2 w3 w4 w5");
    RunOver({path}, "yna");
    EXPECT_EQ(ReadFile(path), "X w2 X X X");
    EXPECT_EQ(report.Lines()[3], "found in content:5");
    EXPECT_EQ(view.boxes.size(), 5u);
    EXPECT_EQ(view.labels.front(), "replace it");
    EXPECT_EQ(view.label, "Search/Replace!");
    EXPECT_EQ(view.total, 5);
    EXPECT_FALSE(view.processAll);
}

TEST_F(ScanContentTest, SkipFileAndCancelLeaveTheFileByteForByte)
{
    Replace("w\\d", "X");
    const std::string first = File("1.txt", "w1 w2 w3");
    const std::string second = File("2.txt", "w4 w5");
    RunOver({first, second}, "yfyy");
    EXPECT_EQ(ReadFile(first), "w1 w2 w3");
    EXPECT_EQ(ReadFile(second), "X X");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);

    // Cancelled in the first target: it and the later one keep their bytes.
    File("2.txt", "w4 w5");
    Answer("yq");
    run.RunJob();
    EXPECT_EQ(ReadFile(first), "w1 w2 w3");
    EXPECT_EQ(ReadFile(second), "w4 w5");
    EXPECT_EQ(report.Lines(), (std::vector<std::string>{report.Line(0), "Process started...", first,
                                                        "found in content:2", "Total found:2", "Done."}));
}

TEST_F(ScanContentTest, SearchOnlySkipFileGoesOnWithTheNextTargetAndDirectoriesAreNotRead)
{
    job.pattern = "w\\d";
    std::filesystem::create_directory(dir / "w1dir");
    RunOver({dir / "w1dir", File("1.txt", "w1 w2 w3"), File("2.txt", "w4")}, "fy");
    EXPECT_EQ(report.Lines()[3], "found in content:1");
    EXPECT_EQ(report.Lines()[5], "found in content:1");
    EXPECT_EQ(view.labels.front(), "continue search");
}

TEST_F(ScanContentTest, ASearchThatCannotFinishLeavesTheFileAndIsReported)
{
    // A back-reference keeps the matcher from remembering failed states: its step budget ends
    // the search, which is never taken as "no more matches".
    std::string text(40, 'a');
    text.insert(0, "ab ").append("!b");
    const std::string path = File("t.txt", text);
    Replace("(a|a)*\\1b|ab", "X");
    RunOver({path}, "a");
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(report.Line(2), runtext::kSearchStopped);
    EXPECT_EQ(run.State().failedTargets, 1);
}
