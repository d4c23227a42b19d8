/*
 * qmend --undo, --runs and --no-undo: a run over a tree taken back byte for byte, a target
 * edited after the run left alone, a run killed midway undone exactly as far as it got (one
 * asked file by file, and one committing its targets in batches), and
 * originals kept on another file system brought back with their extended attributes.
 */
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "QmendFixture.h"
#include "fakes/AsNobody.h"

namespace fs = std::filesystem;

namespace {

// Everything a run or an undo could change in a tree: per entry its kind, mode, owner, and
// its bytes or link target, and which entries are one file (hard links).
std::map<std::string, std::string> Snapshot(const std::string& root)
{
    std::map<std::string, std::string> entries;
    std::map<ino_t, std::string> firstName;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path();
        struct stat status {};
        lstat(path.c_str(), &status);
        std::string& line = entries[path.substr(root.size())];
        line.append(std::to_string(status.st_mode)).append(" ").append(std::to_string(status.st_uid));
        line.append(":").append(std::to_string(status.st_gid));
        if (S_ISLNK(status.st_mode)) line.append(" -> ").append(fs::read_symlink(path).string());
        if (S_ISREG(status.st_mode)) line.append(" ").append(ReadFile(path));
        if (S_ISREG(status.st_mode) && status.st_nlink > 1)
            line.append(" same file as ").append(firstName.try_emplace(status.st_ino, path.substr(root.size())).first->second);
    }
    return entries;
}

// The value of a user attribute of path; empty when it has none.
std::string Attribute(const std::string& path, const char* name)
{
    char value[64];
    const ssize_t size = getxattr(path.c_str(), name, value, sizeof value);
    return size > 0 ? std::string(value, static_cast<std::size_t>(size)) : "";
}

using UndoTest = QmendFixture;

}  // namespace

TEST_F(UndoTest, ContentAndNamesAreTakenBackByteForByteAndOnlyOnce)
{
    const std::string tree = dir.Path();
    File("foo.d/deep/foo.txt", "foo in a renamed folder\n");
    File("plain.txt", "one foo\r\ntwo foo");
    File("same.txt", std::string("foo\0foo", 7));
    fs::create_hard_link(tree + "/same.txt", tree + "/foo-hard.txt");
    fs::create_symlink("plain.txt", tree + "/foo-link");
    chmod((tree + "/plain.txt").c_str(), 0640);
    chown((tree + "/same.txt").c_str(), NobodyUid(), NobodyGid());
    const auto before = Snapshot(tree);

    const Outcome run = Qmend("-a -y --names --dirs -r bar foo " + tree);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto after = Snapshot(tree);
    EXPECT_EQ(ReadFile(tree + "/bar.d/deep/bar.txt"), "bar in a renamed folder\n");
    EXPECT_EQ(ReadFile(tree + "/plain.txt"), "one bar\r\ntwo bar");
    EXPECT_NE(Qmend("--runs").out.find("\"foo\" -> \"bar\"  3 files, 4 names\n"), std::string::npos);

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_NE(undone.err.find("Undo 7 changes of "), std::string::npos);
    EXPECT_EQ(Snapshot(tree), before);
    EXPECT_NE(Qmend("--runs").out.find("3 files, 4 names, undone\n"), std::string::npos);

    const Outcome twice = Qmend("--undo -y");
    EXPECT_EQ(twice.status, 2);
    EXPECT_EQ(twice.err, "qmend: no run is kept that was not undone already\n");
    EXPECT_EQ(Snapshot(tree), before);
    EXPECT_NE(after, before);

    ASSERT_EQ(Qmend("-a -y --no-undo -r bar foo plain.txt").status, 0);
    const std::string runs = Qmend("--runs").out;
    EXPECT_EQ(runs.find("\n"), runs.rfind("\n"));
}

TEST_F(UndoTest, ATargetChangedAfterTheRunIsLeftAloneAndTheRestUndone)
{
    TempDir elsewhere;
    for (const char* name : {"a", "b", "c", "sub/d"}) File(std::string(name) + ".txt", std::string("foo ") + name + "\n");
    ASSERT_EQ(Qmend("-a -y -r bar foo a.txt b.txt c.txt sub").status, 0);
    File("a.txt", "edited\n");
    fs::remove(dir / "c.txt");
    // A folder swapped for a link after the run: the undo never follows it elsewhere.
    fs::rename(dir / "sub", elsewhere / "sub");
    fs::create_directory_symlink(elsewhere / "sub", dir / "sub");

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 3);
    for (const std::string& note : {dir / "a.txt: left alone: it was changed after the run\n",
                                    dir / "c.txt: left alone: it is gone\n",
                                    dir / "sub/d.txt: left alone: its folder now leads elsewhere through a symbolic link\n",
                                    std::string("undid 1 changes")})
        EXPECT_NE(undone.err.find(note), std::string::npos) << note;
    EXPECT_EQ(ReadFile(dir / "a.txt") + ReadFile(dir / "b.txt") + ReadFile(dir / "sub/d.txt"), "edited\nfoo b\nbar sub/d\n");
}

TEST_F(UndoTest, ARunKilledMidwayIsUndoneExactlyAsFarAsItGot)
{
    constexpr int kFiles = 6;
    constexpr int kDone = 3;
    const auto text = [](const char* word, int i) { return std::string(word).append(1, char('0' + i)); };
    for (int i = 0; i < kFiles; ++i) File(std::to_string(i), text("foo ", i));
    Child child = Start({"-y", "--no-expand", "-r", "bar", "foo", "0", "1", "2", "3", "4", "5"});
    // One answer per file: each file is replaced before the next one's occurrence is asked.
    for (int i = 0; i < kDone; ++i) ASSERT_EQ(write(child.answers, "y\n", 2), 2);
    for (int wait = 0; wait < 1000 && ReadFile(dir / std::to_string(kDone - 1)) != text("bar ", kDone - 1); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(child.pid, SIGKILL);
    Finish(child);
    for (int i = 0; i < kFiles; ++i) EXPECT_EQ(ReadFile(dir / std::to_string(i)), text(i < kDone ? "bar " : "foo ", i));

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_NE(undone.err.find("undid 3 changes"), std::string::npos);
    for (int i = 0; i < kFiles; ++i) EXPECT_EQ(ReadFile(dir / std::to_string(i)), text("foo ", i));
}

TEST_F(UndoTest, ABatchedRunKilledMidwayLeavesEachFileWholeAndIsUndoneCompletely)
{
    // "-a" commits the targets in batches: wherever the kill lands, each file is wholly old or
    // wholly new, and the undo brings back every change made and passes over the ones noted
    // but not made.
    constexpr int kFiles = 300;
    const std::string padding(64 << 10, '.');
    std::vector<std::string> args = {"-a", "-y", "--no-expand", "-r", "bar", "foo"};
    for (int i = 0; i < kFiles; ++i) args.push_back(File(std::to_string(i), "foo" + padding));
    Child child = Start(args);
    for (int wait = 0; wait < 5000 && ReadFile(dir / "0") != "bar" + padding; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(child.pid, SIGKILL);
    Finish(child);
    int untouched = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string now = ReadFile(dir / std::to_string(i));
        EXPECT_TRUE(now == "foo" + padding || now == "bar" + padding) << i;
        untouched += now == "foo" + padding;
    }
    EXPECT_GT(untouched, 0) << "the kill came after the run's end";

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_NE(undone.err.find("; 0 targets left alone\n"), std::string::npos) << undone.err;
    for (int i = 0; i < kFiles; ++i) EXPECT_EQ(ReadFile(dir / std::to_string(i)), "foo" + padding) << i;
}

TEST_F(UndoTest, AnOriginalKeptOnAnotherFileSystemComesBackWithItsExtendedAttributes)
{
    // The undo records of a program in /dev/shm cannot hold hard links to files here: each
    // original is copied there, and copied back by the undo.
    const ProgramHome shm("/dev/shm");
    struct stat there {}, here {};
    ASSERT_EQ(stat(shm.Folder().c_str(), &there) | stat(dir.Path().c_str(), &here), 0);
    if (there.st_dev == here.st_dev) GTEST_SKIP() << "/dev/shm is on the file system of " << dir.Path();

    // A copy that cannot be finished (the file size limit stands for a full disk) stops that
    // target's change before it is made, and a run that changed nothing keeps no record.
    const std::string big = File("big.txt", std::string(65536, 'a'));
    const Outcome refused = QmendFrom(shm, "-a -y -r b 'a+' big.txt", "", "prlimit --fsize=16384");
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find(big + ": cannot keep the original for undo: File too large"), std::string::npos);
    EXPECT_EQ(ReadFile(big), std::string(65536, 'a'));
    EXPECT_EQ(QmendFrom(shm, "--runs").out, "");

    const std::string path = File("x.txt", "foo\n");
    ASSERT_EQ(setxattr(path.c_str(), "user.origin", "kept", 4, 0), 0);
    ASSERT_EQ(QmendFrom(shm, "-a -y -r bar foo x.txt").status, 0);
    ASSERT_EQ(ReadFile(path), "bar\n");
    ASSERT_EQ(setxattr(path.c_str(), "user.origin", "new", 3, 0), 0);
    const Outcome undone = QmendFrom(shm, "--undo -y");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(ReadFile(path), "foo\n");
    EXPECT_EQ(Attribute(path, "user.origin"), "kept");
}
