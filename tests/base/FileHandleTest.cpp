/*
 * Tests of FileHandle: opening modes, and the writability probe: refusals of dot names and
 * missing paths, the directory's permission and the sticky rule (the file is never moved),
 * and, for the wipe's open test, a read-only file made writable by an unprivileged user
 * within the time-out, and a file that cannot be made writable.
 */
#include "base/FileHandle.h"

#include <sys/stat.h>
#include <cerrno>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fakes/AsNobody.h"
#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Runs the probe on path as nobody: 0 when it succeeded after pumping, 1 when it failed
// after pumping, 2 when nobody could write the file anyway (no refusal to overcome).
int ProbeAsNobody(const std::string& path, int timeoutMs)
{
    return RunAsNobody([&] {
        if (access(path.c_str(), W_OK) == 0)
            return 2;
        ScriptedDesktop desktop;
        FileHandle handle(path.c_str());
        bool replaceable = handle.WaitReplaceable(desktop, false, timeoutMs);
        return desktop.pumpCount >= 2 ? (replaceable ? 0 : 1) : 3;
    });
}

}  // namespace

TEST(FileHandleTest, OpenModes)
{
    TempDir dir;
    std::string file = dir / "data.bin";
    FileHandle handle(file.c_str());
    EXPECT_FALSE(handle.Open(true, false)) << "read-only needs an existing file";
    ASSERT_TRUE(handle.CreateNew());
    EXPECT_FALSE(handle.Open(false, false)) << "an open handle refuses to open again";
    ASSERT_EQ(write(handle.descriptor, "abcdef", 6), 6);
    handle.Close();
    EXPECT_EQ(handle.descriptor, -1);
    EXPECT_FALSE(handle.CreateNew()) << "an existing file is never created anew";
    ASSERT_TRUE(handle.Open(false, false));
    handle.Close();
    EXPECT_EQ(ReadFile(file), "abcdef") << "neither CreateNew nor Open without truncate cut it";
    ASSERT_TRUE(handle.Open(false, true));
    handle.Close();
    EXPECT_EQ(ReadFile(file), "");

    std::string other = dir / "other.txt";
    ASSERT_TRUE(WriteFile(other, "xy"));
    ASSERT_TRUE(handle.Open(true, false, other.c_str()));
    char buffer[4] = {};
    EXPECT_EQ(read(handle.descriptor, buffer, 4), 2);
    EXPECT_EQ(write(handle.descriptor, "z", 1), -1) << "read-only really is";
    EXPECT_EQ(handle.path.View(), file) << "the handle keeps its own path";
}

TEST(FileHandleTest, ProbeRefusesDotNamesAndMissingPathsAndLeavesNoTrace)
{
    TempDir dir;
    ScriptedDesktop desktop;
    FileHandle handle;
    const std::string file = dir.File("f"), sub = dir.Dir("sub");
    for (const std::string& bad : {std::string("."), std::string(".."), dir / "sub/..", dir / "missing", file + "/x"})
        EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50, bad.c_str())) << bad;
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50)) << "no path at all";
    EXPECT_TRUE(handle.WaitReplaceable(desktop, false, 50, file.c_str()));
    EXPECT_TRUE(handle.WaitReplaceable(desktop, false, 50, sub.c_str()));
    EXPECT_EQ(ReadFile(file), "x");
    auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    EXPECT_EQ(entries, 2) << "the probe leaves no renamed copy behind";
}

TEST(FileHandleTest, ProbeAsksTheDirectoryAndNeverMovesTheFile)
{
    TempDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777 | S_ISVTX), 0);
    // A name of 250 bytes could not take a ten-letter suffix.
    const std::string longName = dir / std::string(250, 'n');
    const std::string foreign = dir / "foreign";
    ASSERT_TRUE(WriteFile(longName, "x") && WriteFile(foreign, "x"));
    ASSERT_EQ(chmod(longName.c_str(), 0444), 0);
    ScriptedDesktop desktop;
    FileHandle handle;
    EXPECT_TRUE(handle.WaitReplaceable(desktop, true, 50, longName.c_str()));
    EXPECT_EQ(ModeOf(longName), 0444u) << "a rename needs no write permission on the file";
    // As nobody: its own file in the sticky directory, but not root's; nor any in a
    // directory it may not write.
    ASSERT_TRUE(GiveToNobody(longName));
    const auto probe = [&](const std::string& path) {
        return RunAsNobody([&] {
            ScriptedDesktop quiet;
            FileHandle probing;
            return probing.WaitReplaceable(quiet, true, 50, path.c_str()) ? 0 : errno == EPERM ? 1 : 2;
        });
    };
    EXPECT_EQ(probe(longName), 0);
    EXPECT_EQ(probe(foreign), 1);
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    EXPECT_EQ(probe(longName), 2);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(FileHandleTest, ProbeMakesAReadOnlyFileWritableOnlyWhereItMay)
{
    TempDir dir;
    ASSERT_TRUE(GiveToNobody(dir.Path()));
    std::string own = dir / "own.txt";
    std::string foreign = dir / "foreign.txt";
    ASSERT_TRUE(WriteFile(own, "keep") && WriteFile(foreign, "keep"));
    ASSERT_EQ(chmod(own.c_str(), 0444) | chmod(foreign.c_str(), 0444), 0);
    ASSERT_TRUE(GiveToNobody(own));

    EXPECT_EQ(ProbeAsNobody(own, 200), 0);
    EXPECT_EQ(ModeOf(own), 0644u);
    EXPECT_EQ(ReadFile(own), "keep");
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file that the test's user cannot change";
    EXPECT_EQ(ProbeAsNobody(foreign, 60), 1);
    EXPECT_EQ(ModeOf(foreign), 0444u);

    ScriptedDesktop desktop;
    FileHandle handle(foreign.c_str());
    EXPECT_TRUE(handle.WaitReplaceable(desktop, false, 200));
    EXPECT_EQ(ModeOf(foreign), 0644u) << "root, too, clears the read-only state";
}
