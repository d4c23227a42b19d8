/*
 * Tests of the path toolkit on POSIX paths: trimming, cutting (root-level entries, dot
 * names, hidden files), kinds of real file-system objects (FIFOs, links, long paths),
 * making relative paths absolute, renaming helpers and the random helpers.
 */
#include "base/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "base/Random.h"
#include "fakes/TempDir.h"

namespace {

std::string Trim(std::string text, bool alsoSlash)
{
    TrimSeparators(text.data(), alsoSlash);
    return text.c_str();
}

// Runs a test body inside a temp directory and restores the current directory after it.
class InTempDirTest : public testing::Test {
protected:
    void SetUp() override
    {
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
    }
    void TearDown() override { std::filesystem::current_path(saved_); }

    TempDir dir_;
    std::filesystem::path saved_;
};

}  // namespace

TEST(PathsTest, TrimSeparatorsKeepsTheRoot)
{
    EXPECT_EQ(Trim("/dir\\\\", false), "/dir");
    EXPECT_EQ(Trim("\\\\", false), "");
    EXPECT_EQ(Trim("a/b/\r\n\t", false), "a/b/");
    EXPECT_EQ(Trim("a/b/\r\n\t", true), "a/b");
    EXPECT_EQ(Trim("/", true), "/");
    EXPECT_EQ(Trim("//\\", true), "/");
    EXPECT_EQ(Trim("", true), "");
    EXPECT_FALSE(TrimSeparators(static_cast<char*>(nullptr), true));
    CDynString none;
    EXPECT_FALSE(TrimSeparators(none, true));
}

TEST(PathsTest, CutPathSplitsPosixPaths)
{
    PathParts p = CutPath("/dir/file.txt");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.directory, "/dir");
    EXPECT_EQ(p.baseName, "file");
    EXPECT_EQ(p.name, "file.txt");
    EXPECT_EQ(p.extension, "txt");

    p = CutPath("/dir//");
    EXPECT_EQ(p.directory, "/");
    EXPECT_EQ(p.name, "dir");
    p = CutPath("/report.txt");
    EXPECT_EQ(p.directory, "/");
    EXPECT_EQ(p.name, "report.txt");
    p = CutPath("..");
    EXPECT_EQ(p.name, "");
    EXPECT_EQ(p.directory, "..");
    p = CutPath("sub/.profile");
    EXPECT_EQ(p.directory, "sub");
    EXPECT_EQ(p.baseName, ".profile");
    EXPECT_EQ(p.extension, "");
    p = CutPath("a.tar.gz");
    EXPECT_EQ(p.directory, "");
    EXPECT_EQ(p.baseName, "a.tar");
    EXPECT_EQ(p.extension, "gz");
}

TEST(PathsTest, PathKindsOfRealObjects)
{
    TempDir dir;
    std::string file = dir / "f.txt";
    ASSERT_TRUE(WriteFile(file, "x"));
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink(file.c_str(), (dir / "to-file").c_str()), 0);
    ASSERT_EQ(symlink((dir / "sub").c_str(), (dir / "to-dir").c_str()), 0);
    ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);

    EXPECT_EQ(GetPathKind(file.c_str()), kPathFile);
    EXPECT_EQ(GetPathKind(dir.Path().c_str()), kPathDirectory);
    EXPECT_EQ(GetPathKind("/"), kPathDirectory);
    EXPECT_EQ(GetPathKind((dir / "pipe").c_str()), kPathNothing);
    EXPECT_EQ(GetPathKind("/dev/null"), kPathNothing);
    EXPECT_EQ(GetPathKind((dir / "to-file").c_str()), kPathFile);
    EXPECT_EQ(GetPathKind((dir / "to-dir").c_str()), kPathDirectory);
    EXPECT_EQ(GetPathKind((dir / "dangling").c_str()), kPathNothing);
    EXPECT_EQ(GetPathKind((dir / "sub/..").c_str()), kPathNothing);
    EXPECT_EQ(GetPathKind((dir / "sub/.").c_str()), kPathNothing);
    EXPECT_EQ(GetPathKind("."), kPathNothing);
    EXPECT_EQ(GetPathKind((file + "/x").c_str()), kPathNothing);
    EXPECT_EQ(GetPathKind(""), kPathNothing);
    EXPECT_EQ(GetPathKind(nullptr), kPathNothing);

    // Paths far beyond 399 characters work like any other.
    std::string deep = dir.Path();
    while (deep.size() < 900) {
        deep += "/" + std::string(60, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    std::string longFile = deep + "/" + std::string(1000 - deep.size() - 1, 'f');
    ASSERT_EQ(longFile.size(), 1000u);
    ASSERT_TRUE(WriteFile(longFile, "long"));
    EXPECT_EQ(GetPathKind(longFile.c_str()), kPathFile);
    EXPECT_EQ(CutPath(longFile.c_str()).directory, deep);
}

TEST_F(InTempDirTest, MakeAbsoluteKeepsTheDirectoryPart)
{
    ASSERT_EQ(mkdir("sub", 0755), 0);
    ASSERT_TRUE(WriteFile("sub/a.txt", "a"));
    CDynString path("sub/a.txt");
    EXPECT_EQ(MakeAbsolute(path), kPathFile);
    EXPECT_EQ(path.View(), dir_ / "sub/a.txt");

    path = "./sub/../sub//a.txt";
    EXPECT_EQ(MakeAbsolute(path), kPathFile);
    EXPECT_EQ(path.View(), dir_ / "sub/a.txt");
    path = "sub/\r\n";
    EXPECT_EQ(MakeAbsolute(path), kPathDirectory);
    EXPECT_EQ(path.View(), dir_ / "sub");
    path = ".";
    EXPECT_EQ(MakeAbsolute(path), kPathDirectory);
    EXPECT_EQ(path.View(), dir_.Path());

    path = "/no/such/../thing";
    EXPECT_EQ(MakeAbsolute(path), kPathNothing);
    EXPECT_STREQ(path.GetText(), "/no/such/../thing") << "an absolute path stays";
    path = "";
    EXPECT_EQ(MakeAbsolute(path), kPathNothing);
    EXPECT_STREQ(path.GetText(), "");
}

TEST_F(InTempDirTest, CurrentDirectoryReadAndChange)
{
    CDynString current;
    ASSERT_TRUE(ReadCurrentDirectory(current));
    EXPECT_EQ(current.View(), dir_.Path());
    ASSERT_EQ(mkdir("next", 0755), 0);
    EXPECT_TRUE(ChangeCurrentDirectory(CDynString("next")));
    ASSERT_TRUE(ReadCurrentDirectory(current));
    EXPECT_EQ(current.View(), dir_ / "next");
    EXPECT_FALSE(ChangeCurrentDirectory(CDynString("")));
    EXPECT_FALSE(ChangeCurrentDirectory(CDynString("missing")));
    EXPECT_TRUE(ChangeCurrentDirectory(CDynString("/")));
    ASSERT_TRUE(ReadCurrentDirectory(current));
    EXPECT_STREQ(current.GetText(), "/");
}

TEST(PathsTest, BaseNameAndExtensionChanges)
{
    CDynString p("/d/report.txt");
    SetBaseName(p, "new", false);
    EXPECT_STREQ(p.GetText(), "/d/new.txt");
    SetBaseName(p, "plain", true);
    EXPECT_STREQ(p.GetText(), "/d/plain");
    p = "/top.txt";
    SetBaseName(p, "root", false);
    EXPECT_STREQ(p.GetText(), "/root.txt") << "no doubled separator at the root";

    p = "/d/report.txt";
    SetExtension(p, "md");
    EXPECT_STREQ(p.GetText(), "/d/report.md");
    SetExtension(p, "");
    EXPECT_STREQ(p.GetText(), "/d/report");
    p = "report.txt";
    SetExtension(p, "md");
    EXPECT_STREQ(p.GetText(), "report.txt.md") << "a bare name gets the extension appended";
    SetExtension(p, nullptr);
    EXPECT_STREQ(p.GetText(), "report.txt.md");
}

TEST(PathsTest, RandomizeNameKeepsDirectoryAndLengths)
{
    CDynString p("/d/report.txt");
    SeedRandom(5);
    ASSERT_TRUE(RandomizeName(p));
    EXPECT_TRUE(std::regex_match(p.GetText(), std::regex("/d/[A-Z]{6}\\.[A-Z]{3}")))
        << p.GetText();
    CDynString again("/d/report.txt");
    SeedRandom(5);
    RandomizeName(again);
    EXPECT_STREQ(again.GetText(), p.GetText()) << "a seeded generator repeats the name";

    p = "/d/README";
    RandomizeName(p);
    EXPECT_TRUE(std::regex_match(p.GetText(), std::regex("/d/[A-Z]{6}"))) << p.GetText();
    p = "a.txt";
    RandomizeName(p);
    EXPECT_TRUE(std::regex_match(p.GetText(), std::regex("[A-Z]\\.[A-Z]{3}"))) << p.GetText();
    CDynString none;
    EXPECT_FALSE(RandomizeName(none));
}

TEST(PathsTest, RandomFillAndRandomBetweenStayInRange)
{
    CDynString buffer;
    buffer.Reserve(11);
    ASSERT_TRUE(RandomFill(buffer, 'x', 'x', -3, CDynString::kToEnd));
    EXPECT_STREQ(buffer.GetText(), "xxxxxxxxxx");
    ASSERT_TRUE(RandomFill(buffer, '0', '1', 2, 4));
    EXPECT_TRUE(std::regex_match(buffer.GetText(), std::regex("xx[01]{3}xxxxx")));
    EXPECT_FALSE(RandomFill(buffer, 'a', 'z', 5, 4));
    CDynString none;
    EXPECT_FALSE(RandomFill(none, 'a', 'z', 0, CDynString::kToEnd));

    CDynString bytes;
    bytes.Reserve(4001);
    RandomFill(bytes, 0, 255, 0, CDynString::kToEnd);
    EXPECT_EQ(bytes.GetLength(), 4000u) << "NUL bytes written count as content";
    std::set<unsigned char> seen(bytes.View().begin(), bytes.View().end());
    EXPECT_EQ(seen.count(0), 1u);
    EXPECT_EQ(seen.count(255), 1u);

    std::set<int> values;
    int maxDraw = 0;
    for (int i = 0; i < 20000; ++i) {
        values.insert(RandomBetween(3, 5));
        maxDraw = std::max(maxDraw, RandomDraw());
    }
    EXPECT_EQ(values, (std::set<int>{3, 4, 5}));
    EXPECT_LE(maxDraw, kRandomMax);
    EXPECT_GT(maxDraw, 32000);
}
