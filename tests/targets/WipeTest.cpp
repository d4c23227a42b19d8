/*
 * The wipe: rounds of random bytes, random renames, deletion, trees, links, special files,
 * refusals, cancel, and the "Wipe!" handler's questions, lines and closing count. A hard link
 * made before the wipe keeps the overwritten bytes readable; inotify shows the renames.
 */
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Paths.h"
#include "base/Random.h"
#include "fakes/AsNobody.h"
#include "fakes/RecordingProgress.h"
#include "fakes/ScriptedDesktop.h"
#include "targets/TargetPage.h"
#include "targets/TempTree.h"

namespace {

using Lines = std::vector<std::string>;

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string RandomBytes(std::size_t n)
{
    std::string bytes(n, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(RandomBetween(0, 255));
    return bytes;
}

// One watched event: ">name" for a rename to name, "-name" for its deletion.
std::string Event(char kind, std::string_view name)
{
    std::string event(1, kind);
    event.append(name);
    return event;
}

void Skip(int draws)
{
    for (int i = 0; i < draws; ++i)
        RandomDraw();
}

// Renames and deletions in one directory, as "from>to" and "-name".
struct RenameWatch {
    int fd = inotify_init1(IN_NONBLOCK);
    explicit RenameWatch(const std::string& dir) { inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO | IN_DELETE); }
    ~RenameWatch() { close(fd); }
    Lines Events()
    {
        Lines events;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                if (event->mask & (IN_MOVED_TO | IN_DELETE))
                    events.push_back(Event(event->mask & IN_DELETE ? '-' : '>', event->name));
            }
        return events;
    }
};

struct WipeFixture : ::testing::Test {
    TempTree tree;
    ScriptedDesktop desktop;
    FileWiper wiper{desktop};
    // The name RandomizeName gives path when the generator has been seeded with seed and
    // `skip` draws were taken.
    static std::string RandomName(unsigned seed, int skip, const std::string& path, int renames = 1)
    {
        SeedRandom(seed);
        Skip(skip);
        CDynString name(path.c_str());
        for (int i = 0; i < renames; ++i)
            RandomizeName(name);
        return CutPath(name.GetText()).name;
    }
};

TEST_F(WipeFixture, EachRoundWritesFreshRandomBlocksThenRenamesAndDeletes)
{
    for (int rounds : {1, 2}) {
        std::string path = tree.File("data.bin", std::string(100000, 'o'));
        std::string keep = tree.Path("keep" + std::to_string(rounds));
        ASSERT_EQ(link(path.c_str(), keep.c_str()), 0);
        RenameWatch watch(tree.root);
        SeedRandom(11);
        ASSERT_TRUE(wiper.WipeFile(rounds, CDynString(path.c_str()), true));
        EXPECT_FALSE(std::filesystem::exists(path));
        SeedRandom(11);
        Skip(10 + 2 * 65536 * (rounds - 1));
        std::string block1 = RandomBytes(65536), block2 = RandomBytes(65536).substr(0, 34464);
        EXPECT_EQ(Read(keep), block1 + block2) << rounds << " rounds";
        std::string last = RandomName(11, 10 + 2 * 65536 * rounds, path, rounds);
        Lines events = watch.Events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.back(), Event('-', last));
        EXPECT_EQ(events[events.size() - 2], Event('>', last));
        EXPECT_EQ(last.size(), 8u);
        EXPECT_EQ(last[4], '.');
    }
}

TEST_F(WipeFixture, EmptyFilesAreRenamedAndDeletedAndZeroRoundsOnlyDelete)
{
    std::string empty = tree.File("e.txt", "");
    RenameWatch watch(tree.root);
    SeedRandom(3);
    ASSERT_TRUE(wiper.WipeFile(1, CDynString(empty.c_str()), true));
    std::string renamed = RandomName(3, 10, empty);
    Lines events = watch.Events();
    ASSERT_EQ(events.size(), 4u) << "probe there and back, random rename, delete";
    EXPECT_EQ(events[2], Event('>', renamed));
    EXPECT_EQ(events[3], Event('-', renamed));
    std::string plain = tree.File("d/p.txt", "content");
    tree.Dir("d/sub");
    std::string keep = tree.Path("keep");
    ASSERT_EQ(link(plain.c_str(), keep.c_str()), 0);
    RenameWatch inside(tree.Path("d"));
    EXPECT_TRUE(wiper.Wipe(CDynString(tree.Path("d").c_str()), false, 0));
    EXPECT_EQ(Read(keep), "content");
    EXPECT_FALSE(std::filesystem::exists(tree.Path("d")));
    Lines deleted = inside.Events();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (Lines{"-p.txt", "-sub"})) << "no renames";
}

TEST_F(WipeFixture, ARandomNameThatExistsIsNeverReplaced)
{
    std::string path = tree.File("data.bin", "x");
    std::string taken = tree.File(RandomName(5, 10 + 65536, path), "keep me");
    SeedRandom(5);
    ASSERT_TRUE(wiper.WipeFile(1, CDynString(path.c_str()), false));
    EXPECT_EQ(Read(taken), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root), {}), 1);
}

TEST_F(WipeFixture, ATreeIsWipedDeepestFirstButLinksAndSpecialFilesAreNeverOpened)
{
    std::string outside = tree.File("outside/secret", "untouched");
    std::string top = tree.Dir("top");
    tree.File("top/a", std::string(70000, 'a'));
    tree.File("top/sub/b", "b");
    ASSERT_EQ(symlink(tree.Path("outside").c_str(), tree.Path("top/sub/link").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), tree.Path("top/filelink").c_str()), 0);
    EXPECT_TRUE(wiper.Wipe(CDynString(top.c_str()), false, 2));
    EXPECT_FALSE(std::filesystem::exists(top));
    EXPECT_EQ(Read(outside), "untouched");
    std::string special = tree.Dir("special");
    ASSERT_EQ(mkfifo(tree.Path("special/fifo").c_str(), 0600), 0);
    tree.File("special/plain", "p");
    EXPECT_FALSE(wiper.Wipe(CDynString(special.c_str()), false, 1));
    EXPECT_TRUE(std::filesystem::is_fifo(tree.Path("special/fifo")));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("special/plain")));
    EXPECT_FALSE(wiper.WipeFile(1, CDynString(tree.Path("special/fifo").c_str()), false));
    std::string kept = tree.Dir("kept");
    tree.File("kept/sub/x", "x");
    RecordingProgress progress;
    wiper.progress = &progress;
    EXPECT_TRUE(wiper.Wipe(CDynString(kept.c_str()), true, 0));
    EXPECT_TRUE(std::filesystem::is_empty(kept));
    EXPECT_EQ(progress.upper, 3);
    EXPECT_EQ(progress.stepCount, 2) << "the kept root takes no step";
}

TEST_F(WipeFixture, AFileThatCannotBeMadeWritableStaysAsItWas)
{
    std::filesystem::permissions(tree.root, std::filesystem::perms::all);
    std::string dir = tree.Dir("open");
    ASSERT_TRUE(GiveToNobody(dir));
    std::string locked = tree.File("open/locked", "precious");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    int result = RunAsNobody([&] {
        ScriptedDesktop childDesktop;
        FileWiper childWiper(childDesktop);
        return childWiper.WipeFile(1, CDynString(locked.c_str()), true) ? 1 : 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Read(locked), "precious");
}

struct WipePage : WipeFixture {
    TargetPage page{desktop, wiper};
    RecordingProgress progress;
    void Answer(std::initializer_list<DesktopAnswer> answers) { desktop.answers = answers; }
};

TEST_F(WipePage, AsksTwiceAndReportsHowManyOfTheNormalizedLinesWereWiped)
{
    page.OnWipe();
    EXPECT_EQ(desktop.MessageTexts(), (Lines{"Nothing to wipe!"}));
    std::string dir = tree.Dir("d");
    std::string inside = tree.File("d/inside", "i");
    std::string special = tree.Dir("special");
    ASSERT_EQ(mkfifo(tree.Path("special/fifo").c_str(), 0600), 0);
    page.targets.lines.Assign({inside, special, dir, tree.Path("gone")});
    page.targets.normalized = false;
    page.wipeRounds = 1;
    for (DesktopAnswer second : {DesktopAnswer::No, DesktopAnswer::Cancel}) {
        Answer({DesktopAnswer::Yes, second});
        page.OnWipe();
    }
    Answer({DesktopAnswer::No});
    page.OnWipe();
    EXPECT_TRUE(std::filesystem::exists(inside));
    Answer({DesktopAnswer::Yes, DesktopAnswer::Yes});
    page.OnWipe();
    EXPECT_EQ(desktop.MessageTexts(), (Lines{"Nothing to wipe!", "Sure ?", "REALLY sure ???", "Sure ?",
                                             "REALLY sure ???", "Sure ?", "Sure ?", "REALLY sure ???",
                                             "2 of 3 wiped."}));
    EXPECT_EQ(page.targets.Paths(), (Lines{special}));
    EXPECT_FALSE(std::filesystem::exists(dir));
    EXPECT_FALSE(page.wipeInProgress);
}

TEST_F(WipePage, CancelLeavesTheFilePartlyOverwrittenAndEndsTheLoop)
{
    std::string original(30 * 65536, 'o');
    std::string big = tree.File("big", original);
    std::string small = tree.File("small", "s");
    page.targets.lines.Assign({big, small});
    page.targets.lines.Select(1, true);
    page.wipeRounds = 1;
    wiper.progress = &progress;
    Answer({DesktopAnswer::Yes, DesktopAnswer::Yes});
    desktop.PressAtPump(3, [&] { page.OnWipe(); });
    page.OnWipe();
    std::string after = Read(big);
    ASSERT_EQ(after.size(), original.size());
    EXPECT_NE(after.substr(0, 20 * 65536), original.substr(0, 20 * 65536));
    EXPECT_EQ(after.substr(20 * 65536), original.substr(20 * 65536));
    EXPECT_EQ(Read(small), "s");
    EXPECT_EQ(page.targets.Paths(), (Lines{big})) << "a line selected before the wipe goes too";
    EXPECT_EQ(desktop.MessageTexts().back(), "0 of 2 wiped.");
    EXPECT_EQ(progress.upper, 30);
    EXPECT_EQ(progress.stepCount, 20);
    EXPECT_EQ(progress.position, 0);
}

}  // namespace
