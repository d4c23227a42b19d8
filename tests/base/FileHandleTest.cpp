/*
 * Tests of FileHandle: opening modes, and the writability probe: refusals of dot names and
 * missing paths, a read-only file made writable by an unprivileged user within the
 * time-out, a file that cannot be made writable, and the rename test that must leave a file
 * carrying the probe's random name untouched.
 */
#include "base/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/Random.h"
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

std::size_t EntriesIn(const std::string& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

}  // namespace

TEST(FileHandleTest, OpenModes)
{
    TempDir dir;
    std::string file = dir / "data.bin";
    FileHandle handle(file.c_str());
    EXPECT_FALSE(handle.Open(true, false)) << "read-only needs an existing file";
    EXPECT_EQ(handle.descriptor, -1);

    ASSERT_TRUE(handle.Open(false, false));
    EXPECT_FALSE(handle.Open(false, false)) << "an open handle refuses to open again";
    ASSERT_EQ(write(handle.descriptor, "abcdef", 6), 6);
    handle.Close();
    EXPECT_EQ(handle.descriptor, -1);

    ASSERT_TRUE(handle.Open(false, false));
    handle.Close();
    EXPECT_EQ(ReadFile(file), "abcdef") << "without truncate the content stays";
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

TEST(FileHandleTest, ProbeRefusesDotNamesAndMissingPaths)
{
    TempDir dir;
    ScriptedDesktop desktop;
    FileHandle handle;
    std::string file = dir / "f";
    ASSERT_TRUE(WriteFile(file, "x"));
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50, "."));
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50, ".."));
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50, (dir / "..").c_str()));
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50, (dir / "missing").c_str()));
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50, (file + "/under").c_str()));
    EXPECT_FALSE(handle.WaitReplaceable(desktop, false, 50)) << "no path at all";

    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    EXPECT_TRUE(handle.WaitReplaceable(desktop, false, 50, file.c_str()));
    EXPECT_TRUE(handle.WaitReplaceable(desktop, false, 50, (dir / "sub").c_str()));
    EXPECT_EQ(ReadFile(file), "x");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u) << "the probe leaves no renamed copy behind";
}

TEST(FileHandleTest, ProbeNeverReplacesAFileCarryingItsRandomName)
{
    TempDir dir;
    std::string file = dir / "target.txt";
    ASSERT_TRUE(WriteFile(file, "target"));
    SeedRandom(1234);
    std::string probeName = file;
    for (int i = 0; i < 10; ++i)
        probeName += static_cast<int>(RandomDraw() * 1.999 / kRandomMax) == 1 ? 'B' : 'A';
    ASSERT_TRUE(WriteFile(probeName, "bystander"));

    ScriptedDesktop desktop;
    FileHandle handle(file.c_str());
    SeedRandom(1234);
    EXPECT_FALSE(handle.WaitReplaceable(desktop, true, 50));
    EXPECT_EQ(ReadFile(file), "target");
    EXPECT_EQ(ReadFile(probeName), "bystander");

    SeedRandom(99);
    EXPECT_TRUE(handle.WaitReplaceable(desktop, true, 50)) << "another name goes through";
    EXPECT_EQ(ReadFile(probeName), "bystander");
}

TEST(FileHandleTest, ProbeMakesAReadOnlyFileWritableForItsOwner)
{
    TempDir dir;
    ASSERT_TRUE(GiveToNobody(dir.Path()));
    std::string file = dir / "readonly.txt";
    ASSERT_TRUE(WriteFile(file, "keep"));
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_TRUE(GiveToNobody(file));

    int result = RunAsNobody([&] {
        ScriptedDesktop desktop;
        FileHandle handle(file.c_str());
        if (access(file.c_str(), W_OK) == 0)
            return 2;  // the refusal this test needs did not happen
        if (!handle.WaitReplaceable(desktop, false, 200))
            return 3;
        return desktop.pumpCount >= 2 ? 0 : 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ModeOf(file) & S_IWUSR, static_cast<mode_t>(S_IWUSR));
    EXPECT_EQ(ReadFile(file), "keep");
}

TEST(FileHandleTest, ProbeGivesUpOnAFileItCannotMakeWritable)
{
    TempDir dir;
    ASSERT_TRUE(GiveToNobody(dir.Path()));
    std::string file = dir / "foreign.txt";
    ASSERT_TRUE(WriteFile(file, "keep"));
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file that its user cannot change";

    int result = RunAsNobody([&] {
        ScriptedDesktop desktop;
        FileHandle handle(file.c_str());
        if (handle.WaitReplaceable(desktop, false, 60))
            return 1;
        return desktop.pumpCount >= 2 ? 0 : 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ModeOf(file), 0444u);
    EXPECT_EQ(ReadFile(file), "keep");
}
