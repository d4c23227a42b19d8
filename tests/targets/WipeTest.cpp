/*
 * The wipe: rounds of random bytes, random renames, deletion, trees, links, special files,
 * refusals, cancel, and the "Wipe!" handler's questions, lines and closing count. A hard link
 * made before the wipe keeps the overwritten bytes readable; inotify shows the renames.
 */
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "base/Random.h"
#include "fakes/AsNobody.h"
#include "fakes/RecordingProgress.h"
#include "fakes/ScriptedDesktop.h"
#include "targets/TargetPage.h"
#include "fakes/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// The generator seeded with seed after `skip` draws.
void Reseed(unsigned seed, int skip)
{
    SeedRandom(seed);
    for (int i = 0; i < skip; ++i)
        RandomDraw();
}

// Renames into and deletions in one directory, as ">name" and "-name".
struct RenameWatch {
    int fd = inotify_init1(IN_NONBLOCK);
    explicit RenameWatch(const std::string& dir) { inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO | IN_DELETE); }
    ~RenameWatch() { close(fd); }
    Lines Events()
    {
        Lines events;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                if (auto* event = reinterpret_cast<inotify_event*>(p); event->mask & (IN_MOVED_TO | IN_DELETE))
                    events.push_back(std::string(event->mask & IN_DELETE ? "-" : ">").append(event->name));
        return events;
    }
};

struct Wipe : ::testing::Test {
    TempDir tree;
    ScriptedDesktop desktop;
    FileWiper wiper{desktop};
    RecordingProgress progress;
    TargetPage page{desktop, wiper};
    // The name `renames` random renames give path after Reseed(seed, skip).
    static std::string RandomName(unsigned seed, int skip, const std::string& path, int renames = 1)
    {
        Reseed(seed, skip);
        CDynString name(path.c_str());
        for (int i = 0; i < renames; ++i)
            RandomizeName(name);
        return CutPath(name.GetText()).name;
    }
};

TEST_F(Wipe, EachRoundWritesFreshRandomBlocksThenRenamesAndDeletes)
{
    for (int rounds : {1, 2}) {
        std::string path = tree.File("data.bin", std::string(100000, 'o')), keep = tree / "keep" + char('0' + rounds);
        ASSERT_EQ(link(path.c_str(), keep.c_str()), 0);
        RenameWatch watch(tree.Path());
        SeedRandom(11);
        ASSERT_TRUE(wiper.WipeFile(rounds, CDynString(path.c_str()), true));
        Reseed(11, 2 * 65536 * (rounds - 1));
        std::string written(2 * 65536, '\0');
        for (char& byte : written)
            byte = static_cast<char>(RandomBetween(0, 255));
        EXPECT_EQ(ReadFile(keep), written.substr(0, 65536 + 34464)) << rounds << " rounds";
        std::string last = RandomName(11, 2 * 65536 * rounds, path, rounds);
        Lines events = watch.Events();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(Lines(events.end() - 2, events.end()), (Lines{">" + last, "-" + last}));
    }
}

TEST_F(Wipe, EmptyFilesAreRenamedZeroRoundsOnlyDeleteAndTakenNamesAreKept)
{
    std::string empty = tree.File("e.txt", "");
    RenameWatch watch(tree.Path());
    SeedRandom(3);
    ASSERT_TRUE(wiper.WipeFile(1, CDynString(empty.c_str()), true));
    std::string renamed = RandomName(3, 0, empty);
    EXPECT_EQ(watch.Events(), (Lines{">" + renamed, "-" + renamed})) << "the probe moves nothing";
    std::string path = tree.File("d/data.bin", "x"), keep = tree / "keep";
    std::string taken = tree.File("d/" + RandomName(5, 65536, path), "keep me");
    SeedRandom(5);
    ASSERT_TRUE(wiper.WipeFile(1, CDynString(path.c_str()), false));
    EXPECT_EQ(ReadFile(taken), "keep me");
    std::string plain = tree.File("d/sub/p.txt", "content");
    ASSERT_EQ(link(plain.c_str(), keep.c_str()), 0);
    RenameWatch inside(tree / "d/sub");
    EXPECT_TRUE(wiper.Wipe(CDynString((tree / "d").c_str()), false, 0));
    EXPECT_EQ(ReadFile(keep), "content");
    EXPECT_FALSE(std::filesystem::exists(tree / "d"));
    EXPECT_EQ(inside.Events(), (Lines{"-p.txt"})) << "deleted without a rename";
}

TEST_F(Wipe, LinksAreRemovedNotFollowedAndSpecialFilesAreNeverOpened)
{
    std::string outside = tree.File("outside/secret", "untouched"), top = tree.Dir("top");
    tree.File("top/a", std::string(70000, 'a'));
    tree.File("top/sub/b", "b");
    ASSERT_EQ(symlink((tree / "outside").c_str(), (tree / "top/sub/link").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), (tree / "top/filelink").c_str()), 0);
    ASSERT_EQ(symlink((tree / "nowhere").c_str(), (tree / "top/sub/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((tree / "outside/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink((tree / "outside/fifo").c_str(), (tree / "top/fifolink").c_str()), 0);
    EXPECT_TRUE(wiper.Wipe(CDynString(top.c_str()), false, 2));
    EXPECT_FALSE(std::filesystem::exists(top));
    EXPECT_EQ(ReadFile(outside), "untouched");
    EXPECT_TRUE(std::filesystem::is_fifo(tree / "outside/fifo"));
    std::string special = tree.Dir("special"), fifo = tree / "special/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(wiper.WipeFile(1, CDynString(fifo.c_str()), false));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << "never opened as a file";
    EXPECT_TRUE(wiper.Wipe(CDynString(special.c_str()), false, 1));
    EXPECT_FALSE(std::filesystem::exists(special)) << "unlinked inside a wiped directory";
    std::string kept = tree.Dir("kept");
    tree.File("kept/sub/x", "x");
    wiper.progress = &progress;
    EXPECT_TRUE(wiper.Wipe(CDynString(kept.c_str()), true, 0));
    EXPECT_TRUE(std::filesystem::is_empty(kept));
    EXPECT_EQ(progress.upper, 3);
    EXPECT_EQ(progress.stepCount, 2) << "the kept root takes no step";
}

TEST_F(Wipe, WhatCannotBeMadeWritableOrListedStaysAndFailsTheWipe)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a file nobody cannot make writable needs another owner";
    std::filesystem::permissions(tree.Path(), std::filesystem::perms::all);
    ASSERT_TRUE(GiveToNobody(tree.Dir("open")));
    std::string locked = tree.File("open/locked", "precious");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    std::string writable = tree.File("open/writable", "w");
    ASSERT_TRUE(GiveToNobody(writable));
    auto wipeAsNobody = [&](const std::string& path) {
        return RunAsNobody([&] { return wiper.WipeFile(1, CDynString(path.c_str()), true) ? 1 : 0; });
    };
    EXPECT_EQ(wipeAsNobody(writable), 1) << "nobody can wipe its own file";
    EXPECT_EQ(wipeAsNobody(locked), 0);
    EXPECT_EQ(ReadFile(locked), "precious");
    tree.File("open/closed/inside");
    ASSERT_EQ(chmod((tree / "open/closed").c_str(), 0700), 0);
    std::string open = tree / "open";
    EXPECT_EQ(RunAsNobody([&] { return wiper.Wipe(CDynString(open.c_str()), true, 0) ? 1 : 0; }), 0)
        << "an unlistable directory keeps the root from being empty";
    EXPECT_TRUE(std::filesystem::exists(tree / "open/closed/inside"));
}

TEST_F(Wipe, ThePageAsksTwiceAndCountsTheNormalizedLinesItWiped)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a file nobody cannot make writable needs another owner";
    page.OnWipe();
    std::filesystem::permissions(tree.Path(), std::filesystem::perms::all);
    std::string dir = tree.Dir("d"), inside = tree.File("d/inside", "i"), stays = tree.Dir("stays");
    std::string locked = tree.File("stays/locked", "l");
    for (const std::string& path : {dir, inside, stays})
        ASSERT_TRUE(GiveToNobody(path));
    page.targets.lines.Assign({inside, stays, dir, tree / "gone"});
    page.targets.normalized = false;
    page.wipeRounds = 1;
    desktop.answers = {DesktopAnswer::Yes, DesktopAnswer::No, DesktopAnswer::Cancel};
    page.OnWipe();
    page.OnWipe();
    EXPECT_EQ(desktop.MessageTexts(), (Lines{"Nothing to wipe!", "Sure ?", "REALLY sure ???", "Sure ?"}));
    EXPECT_TRUE(std::filesystem::exists(inside));
    desktop.answers = {DesktopAnswer::Yes, DesktopAnswer::Yes};
    int outcome = RunAsNobody([&] {
        page.OnWipe();
        return (desktop.MessageTexts().back() == "2 of 3 wiped.") + 2 * (page.targets.Paths() == Lines{stays});
    });
    EXPECT_EQ(outcome, 3) << "1: the count, 2: only the line of what stayed is left";
    EXPECT_FALSE(std::filesystem::exists(dir)) << "the listed file inside counts: it is gone";
    EXPECT_EQ(ReadFile(locked), "l") << "nobody cannot make it writable";
}

TEST_F(Wipe, CancelLeavesTheFilePartlyOverwrittenAndEndsTheLoop)
{
    std::string original(30 * 65536, 'o');
    std::string big = tree.File("big", original), small = tree.File("small", "s");
    page.targets.lines.Assign({big, small});
    page.targets.lines.Select(1, true);
    page.wipeRounds = 1;
    wiper.progress = &progress;
    desktop.answers = {DesktopAnswer::Yes, DesktopAnswer::Yes};
    desktop.PressAtPump(2, [&] { page.OnEmpty(), page.OnExpand(); });
    desktop.PressAtPump(3, [&] { page.OnWipe(); });
    page.OnWipe();
    std::string after = ReadFile(big);
    ASSERT_EQ(after.size(), original.size());
    EXPECT_NE(after.substr(0, 20 * 65536), original.substr(0, 20 * 65536));
    EXPECT_EQ(after.substr(20 * 65536), original.substr(20 * 65536));
    EXPECT_EQ(ReadFile(small), "s");
    EXPECT_EQ(page.targets.Paths(), (Lines{big})) << "not emptied meanwhile; a line selected before goes";
    EXPECT_EQ(desktop.MessageTexts().back(), "0 of 2 wiped.");
    EXPECT_EQ(std::vector<int>({progress.upper, progress.stepCount, progress.position}), std::vector<int>({30, 20, 0}));
}

}  // namespace
