/*
 * qmend --undo, --runs and --no-undo: a run over a tree taken back byte for byte, a target
 * edited after the run left alone, and a run killed midway undone exactly as far as it got.
 * Each test runs its own copy of qmend, so its undo records (beside the program) are its own.
 */
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/AsNobody.h"
#include "fakes/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string err;
};

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

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir / "bin");
        fs::copy_file(QMEND_PATH, qmend);
        fs::create_directory(tree);
    }
    Outcome Qmend(const std::string& args)
    {
        const std::string command = "cd '" + tree + "' && " + qmend + " " + args + " < /dev/null > /dev/null 2> ../err";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir / "err")};
    }
    std::string Runs() { return (std::system((qmend + " --runs > " + dir / "runs").c_str()), ReadFile(dir / "runs")); }

    TempDir dir;
    const std::string qmend = dir / "bin/qmend";
    const std::string tree = dir / "tree";
};

}  // namespace

TEST_F(UndoTest, ContentAndNamesAreTakenBackByteForByteAndOnlyOnce)
{
    fs::create_directories(tree + "/foo.d/deep");
    WriteFile(tree + "/foo.d/deep/foo.txt", "foo in a renamed folder\n");
    WriteFile(tree + "/plain.txt", "one foo\r\ntwo foo");
    WriteFile(tree + "/same.txt", std::string("foo\0foo", 7));
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
    EXPECT_NE(Runs().find("\"foo\" -> \"bar\"  3 files, 4 names\n"), std::string::npos);

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_NE(undone.err.find("Undo 7 changes of "), std::string::npos);
    EXPECT_EQ(Snapshot(tree), before);
    EXPECT_NE(Runs().find("3 files, 4 names, undone\n"), std::string::npos);

    const Outcome twice = Qmend("--undo -y");
    EXPECT_EQ(twice.status, 2);
    EXPECT_EQ(twice.err, "qmend: no run is kept that was not undone already\n");
    EXPECT_EQ(Snapshot(tree), before);
    EXPECT_NE(after, before);

    ASSERT_EQ(Qmend("-a -y --no-undo -r bar foo plain.txt").status, 0);
    EXPECT_EQ(Runs().find("\n"), Runs().rfind("\n"));
}

TEST_F(UndoTest, ATargetChangedAfterTheRunIsLeftAloneAndTheRestUndone)
{
    fs::create_directories(tree + "/sub");
    fs::create_directories(dir / "elsewhere");
    WriteFile(tree + "/a.txt", "foo a\n");
    WriteFile(tree + "/b.txt", "foo b\n");
    WriteFile(tree + "/c.txt", "foo c\n");
    WriteFile(tree + "/sub/d.txt", "foo d\n");
    ASSERT_EQ(Qmend("-a -y -r bar foo a.txt b.txt c.txt sub").status, 0);
    WriteFile(tree + "/a.txt", "edited\n");
    fs::remove(tree + "/c.txt");
    // A folder swapped for a link after the run: the undo never follows it elsewhere.
    fs::rename(tree + "/sub", dir / "elsewhere/sub");
    fs::create_directory_symlink(dir / "elsewhere/sub", tree + "/sub");

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 3);
    EXPECT_NE(undone.err.find(tree + "/a.txt: left alone: it was changed after the run\n"), std::string::npos);
    EXPECT_NE(undone.err.find(tree + "/c.txt: left alone: it is gone\n"), std::string::npos);
    EXPECT_NE(undone.err.find(tree + "/sub/d.txt: left alone: its folder now leads elsewhere through a symbolic link\n"),
              std::string::npos);
    EXPECT_NE(undone.err.find("undid 1 changes"), std::string::npos);
    EXPECT_EQ(ReadFile(tree + "/a.txt"), "edited\n");
    EXPECT_EQ(ReadFile(tree + "/b.txt"), "foo b\n");
    EXPECT_EQ(ReadFile(tree + "/sub/d.txt"), "bar d\n");
}

TEST_F(UndoTest, ARunKilledMidwayIsUndoneExactlyAsFarAsItGot)
{
    constexpr int kFiles = 6;
    constexpr int kDone = 3;
    for (int i = 0; i < kFiles; ++i) WriteFile(tree + "/" + std::to_string(i), std::string("foo ").append(1, char('0' + i)));
    int answers[2];
    ASSERT_EQ(pipe(answers), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(answers[0], 0);
        close(answers[1]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        chdir(tree.c_str());
        execl(qmend.c_str(), "qmend", "-y", "--no-expand", "-r", "bar", "foo", "0", "1", "2", "3", "4", "5", nullptr);
        _exit(127);
    }
    close(answers[0]);
    // One answer per file: each file is replaced before the next one's occurrence is asked.
    for (int i = 0; i < kDone; ++i) ASSERT_EQ(write(answers[1], "y\n", 2), 2);
    for (int wait = 0; wait < 1000 && ReadFile(tree + "/" + std::to_string(kDone - 1)) != "bar 2"; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(answers[1]);
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(ReadFile(tree + "/" + std::to_string(i)), std::string(i < kDone ? "bar " : "foo ").append(1, char('0' + i)));

    const Outcome undone = Qmend("--undo -y");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_NE(undone.err.find("undid 3 changes"), std::string::npos);
    for (int i = 0; i < kFiles; ++i) EXPECT_EQ(ReadFile(tree + "/" + std::to_string(i)), std::string("foo ").append(1, char('0' + i)));
}
