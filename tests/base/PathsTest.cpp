/*
 * Tests of the path toolkit on POSIX paths: trimming, cutting (root-level entries, dot
 * names, hidden files), kinds of real file-system objects (FIFOs, links, long paths),
 * making relative paths absolute, the renaming helpers and the random helpers.
 */
#include "base/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
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

std::string Cut(const char* path)
{
    PathParts p = CutPath(path);
    return p.drive + "|" + p.directory + "|" + p.baseName + "|" + p.name + "|" + p.extension;
}

bool Matches(const CDynString& text, const char* pattern)
{
    return std::regex_match(text.GetText(), std::regex(pattern));
}

}  // namespace

TEST(PathsTest, TrimAndCutFollowPosixRules)
{
    EXPECT_EQ(Trim("/dir\\\\", false), "/dir");
    EXPECT_EQ(Trim("\\\\", false), "");
    EXPECT_EQ(Trim("a/b/\r\n\t", false), "a/b/");
    EXPECT_EQ(Trim("a/b/\r\n\t", true), "a/b");
    EXPECT_EQ(Trim("//\\", true), "/") << "the root survives";
    EXPECT_FALSE(TrimSeparators(static_cast<char*>(nullptr), true));

    EXPECT_EQ(Cut("/dir/file.txt"), "|/dir|file|file.txt|txt");
    EXPECT_EQ(Cut("/dir//"), "|/|dir|dir|");
    EXPECT_EQ(Cut("/report.txt"), "|/|report|report.txt|txt");
    EXPECT_EQ(Cut(".."), "|..|||");
    EXPECT_EQ(Cut("sub/.profile"), "|sub|.profile|.profile|");
    EXPECT_EQ(Cut("a.tar.gz"), "||a.tar|a.tar.gz|gz");
    EXPECT_EQ(Cut("/d/f.c\t"), "|/d|f|f.c\t|c\t") << "only a slash separates";
    EXPECT_EQ(Cut("/d/f\\\r\n"), "|/d|f\\\r\n|f\\\r\n|");
}

TEST(PathsTest, PathKindsOfRealObjects)
{
    TempDir dir;
    const std::string file = dir.File("f.txt"), sub = dir.Dir("sub");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink(file.c_str(), (dir / "to-file").c_str()), 0);
    ASSERT_EQ(symlink(sub.c_str(), (dir / "to-dir").c_str()), 0);
    ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);

    const std::pair<std::string, int> cases[] = {
        {file, kPathFile},           {dir.Path(), kPathDirectory},     {"/", kPathDirectory},
        {dir / "pipe", kPathNothing}, {"/dev/null", kPathNothing},      {dir / "to-file", kPathFile},
        {dir / "to-dir", kPathDirectory}, {dir / "dangling", kPathNothing}, {dir / "sub/..", kPathNothing},
        {dir / "sub/.", kPathNothing}, {".", kPathNothing},              {file + "/x", kPathNothing},
        {"", kPathNothing},
    };
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(GetPathKind(path.c_str()), kind) << path;
        // Opening tells the same kind (a FIFO without waiting for a writer) and keeps only a
        // file's descriptor.
        const OpenedPath opened = OpenPathKind(path.c_str());
        EXPECT_EQ(opened.kind, kind) << path;
        EXPECT_EQ(opened.fd != -1, kind == kPathFile) << path;
        if (opened.fd != -1) {
            EXPECT_EQ(opened.status.st_size, 1);
            close(opened.fd);
        }
    }
    EXPECT_EQ(GetPathKind(nullptr), kPathNothing);
    EXPECT_EQ(OpenPathKind((file + "/x").c_str()).error, ENOTDIR);

    // Paths far beyond 399 characters work like any other.
    std::string deep = dir.Path();
    while (deep.size() < 900) {
        deep += "/" + std::string(60, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    std::string longFile = deep + "/" + std::string(1000 - deep.size() - 1, 'f');
    ASSERT_TRUE(WriteFile(longFile, "long"));
    EXPECT_EQ(GetPathKind(longFile.c_str()), kPathFile);
    EXPECT_EQ(CutPath(longFile.c_str()).directory, deep);
}

TEST(PathsTest, PathsBecomeAbsoluteByteForByteAndDotsMeanWhatTheFileSystemSays)
{
    TempDir dir;
    CurrentDirectory here(dir.Path());
    for (const char* name : {"sub/a.txt", "sub/f", "f", "t\t", "b\\", "sub/deep/x"})
        dir.File(name);
    ASSERT_EQ(symlink("sub/deep", "lnk"), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"sub/a.txt", dir / "sub/a.txt"}, {"t\t", dir / "t\t"},      {"b\\", dir / "b\\"},
        {"lnk/../f", dir / "sub/f"},      {"./sub//a.txt", dir / "sub/a.txt"}, {"sub/", dir / "sub"},
        {".", dir.Path()},                {"lnk/..", dir / "sub"},     {"lnk", dir / "lnk"},
        {dir / "lnk/../f", dir / "sub/f"},
    };
    for (const auto& [given, absolute] : cases) {
        CDynString path(given.c_str());
        EXPECT_NE(MakeAbsolute(path), kPathNothing) << given;
        EXPECT_EQ(path.View(), absolute) << given;
    }
    CDynString gone("/no/such/../thing");
    EXPECT_EQ(MakeAbsolute(gone), kPathNothing);
    EXPECT_STREQ(gone.GetText(), "/no/such/../thing") << "what cannot be resolved stays";

    std::filesystem::current_path("/");
    CDynString current;
    ASSERT_TRUE(ReadCurrentDirectory(current));
    EXPECT_STREQ(current.GetText(), "/");
    CDynString rootLevel("top.txt");
    MakeAbsolute(rootLevel);
    EXPECT_STREQ(rootLevel.GetText(), "/top.txt") << "no doubled separator at the root";
}

TEST(PathsTest, BaseNameExtensionAndRandomNames)
{
    auto edited = [](const char* path, void (*edit)(CDynString&)) {
        CDynString p(path);
        edit(p);
        return std::string(p.View());
    };
    EXPECT_EQ(edited("/d/report.txt", [](CDynString& p) { SetBaseName(p, "new", false); }), "/d/new.txt");
    EXPECT_EQ(edited("/d/report.txt", [](CDynString& p) { SetBaseName(p, "plain", true); }), "/d/plain");
    EXPECT_EQ(edited("/top.txt", [](CDynString& p) { SetBaseName(p, "root", false); }), "/root.txt")
        << "no doubled separator at the root";
    EXPECT_EQ(edited("/d/report.txt", [](CDynString& p) { SetExtension(p, "md"); }), "/d/report.md");
    EXPECT_EQ(edited("/d/report.txt", [](CDynString& p) { SetExtension(p, ""); }), "/d/report");
    EXPECT_EQ(edited("report.txt", [](CDynString& p) { SetExtension(p, "md"); }), "report.txt.md")
        << "a bare name gets the extension appended";

    CDynString p("/d/report.txt");
    SeedRandom(5);
    ASSERT_TRUE(RandomizeName(p));
    EXPECT_TRUE(Matches(p, "/d/[A-Z]{6}\\.[A-Z]{3}")) << p.GetText();
    CDynString again("/d/report.txt");
    SeedRandom(5);
    RandomizeName(again);
    EXPECT_STREQ(again.GetText(), p.GetText()) << "a seeded generator repeats the name";
    p = "/d/README";
    RandomizeName(p);
    EXPECT_TRUE(Matches(p, "/d/[A-Z]{6}")) << p.GetText();
    p = "a.txt";
    RandomizeName(p);
    EXPECT_TRUE(Matches(p, "[A-Z]\\.[A-Z]{3}")) << p.GetText();
}

TEST(PathsTest, RandomFillAndRandomBetweenStayInRange)
{
    CDynString buffer;
    buffer.Reserve(11);
    ASSERT_TRUE(RandomFill(buffer, 'x', 'x', -3, CDynString::kToEnd));
    EXPECT_STREQ(buffer.GetText(), "xxxxxxxxxx");
    ASSERT_TRUE(RandomFill(buffer, '0', '1', 2, 4));
    EXPECT_TRUE(Matches(buffer, "xx[01]{3}xxxxx"));
    EXPECT_FALSE(RandomFill(buffer, 'a', 'z', 5, 4));
    CDynString none;
    EXPECT_FALSE(RandomFill(none, 'a', 'z', 0, CDynString::kToEnd));

    buffer.Reserve(4001);
    RandomFill(buffer, 0, 255, 0, CDynString::kToEnd);
    EXPECT_EQ(buffer.GetLength(), 4000u) << "NUL bytes written count as content";
    std::set<unsigned char> bytes(buffer.View().begin(), buffer.View().end());
    EXPECT_TRUE(bytes.count(0) == 1 && bytes.count(255) == 1);

    std::set<int> values;
    int maxDraw = 0;
    for (int i = 0; i < 20000; ++i) {
        values.insert(RandomBetween(3, 5));
        maxDraw = std::max(maxDraw, RandomDraw());
    }
    EXPECT_EQ(values, (std::set<int>{3, 4, 5}));
    EXPECT_TRUE(maxDraw > 32000 && maxDraw <= kRandomMax) << maxDraw;
}
