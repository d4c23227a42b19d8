/*
 * The content scan: the buffer arithmetic (against perl on random texts with small buffers),
 * the growing window, empty matches, the answers and what they leave in the file.
 */
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

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

TEST_F(ScanContentTest, TheMatchFoundIsTheMatchReplaced)
{
    // Each as perl -0777 -pe 's/PATTERN/REPLACEMENT/g' rewrites it, but for empty matches, which
    // are never counted and never cost a byte, and for "$`" and "$'", which reach from the search
    // start to the overlap after the match. With buffer 8 and overlap 3 the chunks begin at
    // bytes 0, 5 and 10, which are judged by the bytes before them. A match reaching the chunk's
    // end is taken only when the growing window holds it all (a 700-byte comment near byte 65 000).
    std::string code;
    while (code.size() < 64800) code += "int a = b;\n";
    const struct {
        std::uint32_t bufferSize;
        std::uint32_t overlap;
        const char* pattern;
        const char* replacement;
        std::string text;
        std::string rewritten;
        int found;
    } cases[] = {
        {64, 4, "(?<=a)b", "X", "ab cb", "aX cb", 1},
        {64, 4, "\\Bord", "X", "word ord", "wX ord", 1},
        {64, 4, "a+", "<$0>", std::string("b").append(20, 'a') + "b", std::string("b<").append(20, 'a') + ">b", 1},
        {64, 4, "^a", "X", "aaaa\n", "Xaaa\n", 1},
        {64, 4, "\\bfoo", "X", "foofoo", "Xfoo", 1},
        {64, 4, "a|(?<=a)b", "<$0>", "ab", "<a><b>", 2},
        {64, 4, "\\d*", "<$0>", "ab1cd\n", "ab<1>cd\n", 1},
        {64, 4, "(foo)?", "[$1]", "xx foo yy", "xx [foo] yy", 1},
        {64, 4, "b\\x00c", "[$0]", std::string("a\0b\0c\0\0d", 8), std::string("a\0[b\0c]\0\0d", 10), 1},
        {8, 3, "^b|\\bb", "X", "aaaaabbb bbb\nbb", "aaaaabbb Xbb\nXb", 2},
        {8, 3, "\\Ab|(?<=b)d|\\Ac", "X", "bbbbbdbbbbcbbbb", "XbbbbXbbbbcbbbb", 2},
        {8, 3, "c", "[$`|$']", "abcdefghcjk", "ab[ab|def]defgh[fgh|jk]jk", 2},
        {16, 4, "x+", "Y", std::string(40, 'x'), "Y", 1},
        {65536, 512, "//.*", "", code + "//" + std::string(698, 'c') + "\nint x;\n", code + "\nint x;\n", 1},
    };
    for (const auto& c : cases) {
        job.bufferSize = c.bufferSize;
        job.overlap = c.overlap;
        Replace(c.pattern, c.replacement);
        const std::string path = File("t.txt", c.text);
        EXPECT_EQ(ProcessAll(path), c.found) << c.pattern;
        EXPECT_EQ(ReadFile(path), c.rewritten) << c.pattern;
    }
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
    EXPECT_EQ(Entries(), 2u);

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

TEST_F(ScanContentTest, SmallBuffersRewriteAsPerlDoes)
{
    if (std::system("perl -e 1 2>/dev/null") != 0) GTEST_SKIP() << "perl is not installed";
    using Buffers = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    const Buffers small = {{8, 3}, {16, 4}, {33, 7}};
    // Runs and repeats whose matches are longer than the overlap, so the window must grow;
    // and an address, which cut at a chunk's end would be a shorter match (its matches stay
    // within the overlap, as the configuration asks of every pattern).
    const std::pair<const char*, Buffers> cases[] = {
        {"x+", small}, {"(?:xy)+", small}, {"//[^\\n]*", small}, {"[ab]+c?", small}, {"a(?:b|xy)*c", small},
        {"\\w+@\\w+\\.\\w+\\b", {{48, 32}, {64, 40}}}};
    std::mt19937 random(11);
    constexpr int kTexts = 12;
    const auto name = [](int i) { return std::string("p").append(std::to_string(i)); };
    for (const auto& [pattern, buffers] : cases) {
        std::vector<std::string> texts;
        std::string files;
        for (int i = 0; i < kTexts; ++i) {
            std::string text;
            for (std::size_t n = random() % 600; n > 0; --n) text += "xxyyabc/\n@."[random() % 11];
            texts.push_back(text);
            files.append(" '").append(File(name(i), text)).append("'");
        }
        const std::string perl = std::string("perl -0777 -pi -e 's{").append(pattern).append("}{<$&>}g'") + files;
        ASSERT_EQ(std::system(perl.c_str()), 0);
        std::vector<std::string> expected;
        for (int i = 0; i < kTexts; ++i) expected.push_back(ReadFile(dir / name(i)));
        for (const auto& [bufferSize, overlap] : buffers) {
            job.bufferSize = bufferSize;
            job.overlap = overlap;
            Replace(pattern, "<$0>");
            std::vector<std::string> paths;
            for (int i = 0; i < kTexts; ++i) paths.push_back(File(name(i), texts[i]));
            RunOver(paths, "a");
            for (int i = 0; i < kTexts; ++i)
                EXPECT_EQ(ReadFile(paths[i]), expected[i]) << pattern << " buffer " << bufferSize << " text " << texts[i];
        }
    }
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
    EXPECT_EQ(run.State().unreadTargets, 1);
}
