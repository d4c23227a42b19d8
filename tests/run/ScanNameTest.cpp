/*
 * The name scan: answers in names, renames that never replace anything, and a renamed
 * directory carrying the later targets below it along.
 */
#include <filesystem>

#include <sys/stat.h>

#include "RunFixture.h"
#include "run/RunTexts.h"

namespace fs = std::filesystem;

class ScanNameTest : public RunFixture {
protected:
    ScanNameTest()
    {
        job.inContent = false;
        job.inFileNames = true;
        job.ignoreCase = false;
    }
};

TEST_F(ScanNameTest, AnswersDecideEachPartOfTheNameAndSkipFileOrCancelKeepsIt)
{
    Replace("X", "Y");
    const std::string path = File("aXbXcX.txt", "");
    RunOver({path}, "yny");
    EXPECT_TRUE(fs::exists(dir / "aYbXcY.txt"));
    EXPECT_EQ(report.Lines()[2], path);
    EXPECT_EQ(report.Lines()[3], "found in name:3");

    const std::string skipped = File("pXqX", "");
    const std::string cancelled = File("rXsX", "");
    RunOver({skipped, cancelled}, "yfyq");
    EXPECT_TRUE(fs::exists(skipped));
    EXPECT_TRUE(fs::exists(cancelled));
}

TEST_F(ScanNameTest, EachPatternRenamesOnceOrReportsAndLeavesTheName)
{
    File("new.txt", "existing");
    const struct {
        const char* name;
        const char* pattern;
        const char* replacement;
        const char* renamed;
        int found;
        bool refused;
    } cases[] = {
        {"aab-bc", "^a|\\bb|(?<=b)c", "X", "Xab-XX", 3, false},  // each search sees the bytes before it
        {"a.txt", "^.*$", "$0.bak", "a.txt.bak", 1, false},      // the whole name, with a suffix
        {"e.txt", "z*", "Z", "e.txt", 0, false},                 // empty matches only: no rename
        {"old.txt", "old", "new", "old.txt", 1, true},           // the new name exists already
        {"gone.txt", "^gone\\.txt$", "", "gone.txt", 1, true},   // no name is left
        {"same.txt", "same", "$0", "same.txt", 1, false},        // the same name: no rename, no error
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Replace(c.pattern, c.replacement);
        RunOver({File(c.name, c.name)}, "a");
        EXPECT_EQ(ReadFile(dir / c.renamed), c.name);
        EXPECT_EQ(run.State().totalFound, c.found);
        EXPECT_EQ(report.Line(2) == "renamimg error", c.refused);
        EXPECT_EQ(run.State().unchangedTargets, c.refused ? 1 : 0);
    }
    EXPECT_EQ(ReadFile(dir / "new.txt"), "existing");
    EXPECT_EQ(Entries(), std::size(cases) + 1);
}

TEST_F(ScanNameTest, RenamedDirectoryCarriesTheLaterTargetsBelowIt)
{
    job.inContent = true;
    job.inDirNames = true;
    const std::string inner = File("dX/sub/fX.txt", "X");
    List({dir / "dX", dir / "dX/sub", inner});
    Replace("X", "Y");
    Answer("a");
    run.RunJob();
    EXPECT_EQ(ReadFile(dir / "dY/sub/fY.txt"), "Y");
    EXPECT_EQ(targets.lines.Line(1), dir / "dY/sub");
    EXPECT_EQ(targets.lines.Line(2), dir / "dY/sub/fX.txt");
    EXPECT_EQ(run.State().totalFound, 3);
}

TEST_F(ScanNameTest, RenamesChangeNoModeFollowNoLinkAndTakeLongNames)
{
    job.inDirNames = true;
    const std::string file = File("fX", "");
    fs::create_directory(dir / "dX");
    const std::string pointed = File("pointed", "");
    fs::create_symlink(pointed, dir / "lX");
    const std::string longName = File(std::string(250, 'n') + "X", "");
    ASSERT_EQ(chmod(file.c_str(), 0444) | chmod((dir / "dX").c_str(), 0555) | chmod(pointed.c_str(), 0444), 0);
    Replace("X", "Y");
    RunOver({file, dir / "dX", dir / "lX", longName}, "a");
    const auto mode = [](const std::string& path) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(mode(dir / "fY"), 0444u);
    EXPECT_EQ(mode(dir / "dY"), 0555u);
    EXPECT_EQ(mode(pointed), 0444u);
    EXPECT_TRUE(fs::is_symlink(dir / "lY"));
    EXPECT_TRUE(fs::exists(dir / (std::string(250, 'n') + "Y")));
    EXPECT_EQ(run.State().unchangedTargets, 0);
}
