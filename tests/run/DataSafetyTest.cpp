/*
 * What a rewrite must never lose: the file's mode, owner, attributes and ACLs, a link's being
 * a link, a file that happens to carry the temporary name, the target on a read error, a
 * refused temporary file or a change by another program, and a second path to the same file.
 */
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "RunFixture.h"
#include "base/Random.h"
#include "fakes/AsNobody.h"
#include "run/RunTexts.h"

namespace fs = std::filesystem;

class DataSafetyTest : public RunFixture {
protected:
    // Replaces every occurrence in the targets.
    void ReplaceAll(const std::vector<std::string>& paths, const std::string& pattern, const std::string& replacement)
    {
        Replace(pattern, replacement);
        RunOver(paths, "a");
    }
};

TEST_F(DataSafetyTest, ReplacedFileKeepsModeOwnerAttributesAclsAndLink)
{
    const std::string target = File("t.txt", "abc");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(GiveToNobody(target));
    ASSERT_EQ(setxattr(target.c_str(), "user.note", "kept", 4, 0), 0);
    ASSERT_EQ(std::system(("setfacl -m u:nobody:r '" + target + "'").c_str()), 0);
    const auto attribute = [&](const char* name) {
        std::string value(256, '\0');
        const ssize_t got = getxattr(target.c_str(), name, value.data(), value.size());
        return got < 0 ? std::string("missing") : value.substr(0, static_cast<std::size_t>(got));
    };
    const std::string acl = attribute("system.posix_acl_access");
    fs::create_symlink(target, dir / "link");
    ReplaceAll({dir / "link"}, "b", "X");
    EXPECT_EQ(ReadFile(target), "aXc");
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, NobodyUid());
    EXPECT_EQ(attribute("user.note"), "kept");
    EXPECT_EQ(attribute("system.posix_acl_access"), acl);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(DataSafetyTest, RefusedReplacementsLeaveTheTargetAndReport)
{
    // As nobody: root's file in root's directory (no temporary file may be made there), and
    // root's file that nobody may write in a directory it may write, but could not give back.
    const std::string closed = File("t.txt", "abc");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
    const std::string foreign = File("open/f.txt", "abc");
    ASSERT_EQ(chmod((dir / "open").c_str(), 0777) | chmod(foreign.c_str(), 0666), 0);
    List({closed, foreign});
    Replace("b", "X");
    Answer("a");
    const int outcome = RunAsNobody([&] {
        run.RunJob();
        const bool reported = report.Line(2) == runtext::kFileWriteError && report.Line(6) == runtext::kFileWriteError &&
                              report.Line(7) == foreign + ": cannot give the new file the old owner and group: Operation not permitted";
        return reported && run.State().unchangedTargets == 2 ? 0 : 1;
    });
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadFile(closed), "abc");
    EXPECT_EQ(ReadFile(foreign), "abc");
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(DataSafetyTest, AFileCarryingTheTemporaryNameIsNeverTouched)
{
    SeedRandom(11);
    const std::string taken = "quillmendtmp" + std::to_string(RandomDraw()) + ".wex";
    SeedRandom(11);
    File(taken, "keep me");
    ReplaceAll({File("t.txt", "abc")}, "b", "X");
    EXPECT_EQ(ReadFile(dir / taken), "keep me");
    EXPECT_EQ(ReadFile(dir / "t.txt"), "aXc");
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(DataSafetyTest, AReadErrorMidFileAbandonsItUntouched)
{
    job.bufferSize = 16;
    job.overlap = 4;
    const std::string text = "b-b-b-b-b-b-b-b-b-b-b-b-b-b-b-b-b-b-b-b";
    const std::string target = File("t.txt", text);
    int reads = 0;
    run.SetChunkReader([&reads](int fd, char* buffer, std::size_t n) -> ssize_t {
        if (++reads == 2) {
            errno = EIO;
            return -1;
        }
        return read(fd, buffer, n);
    });
    ReplaceAll({target}, "b", "X");
    EXPECT_EQ(ReadFile(target), text);
    EXPECT_EQ(report.Line(2), "file read error");
    EXPECT_EQ(report.Line(3), target + ": Input/output error");
    EXPECT_EQ(run.State().unreadTargets, 1);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(DataSafetyTest, AFileChangedWhileTheRunWaitsIsLeftAsTheOtherProgramMadeIt)
{
    job.bufferSize = 16;
    job.overlap = 4;
    Replace("b", "X");
    const std::string path = dir / "t.txt";
    const auto append = [&] { std::FILE* f = std::fopen(path.c_str(), "a"); std::fputs("more b", f); std::fclose(f); };
    const auto saveByRename = [&] {
        WriteFile(dir / "new", "saved b");
        fs::rename(dir / "new", path);
    };
    // In place, same size. File times tick coarsely (a few ms), so wait for the next tick.
    const auto rewrite = [&] {
        usleep(20000);
        const int fd = open(path.c_str(), O_WRONLY);
        (void)!pwrite(fd, "c", 1, 40);
        close(fd);
    };
    const std::string small = "b--";
    const std::string large = std::string("b").append(60, '-');
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {small, append}, {large, append}, {small, saveByRename}, {large, saveByRename}, {large, rewrite}};
    for (const auto& [text, change] : cases) {
        WriteFile(path, text);
        std::string changed;
        desktop.presses.push_back([&] {
            change();
            changed = ReadFile(path);
            run.OnProcessAll(true);
        });
        RunOver({path}, "");
        EXPECT_EQ(ReadFile(path), changed);
        EXPECT_EQ(report.Line(2), "file changed during the run");
        EXPECT_EQ(run.State().unchangedTargets, 1);
        EXPECT_EQ(Entries(), 1u);
    }
}

TEST_F(DataSafetyTest, ContentIsChangedOncePerFileHoweverManyPathsReachIt)
{
    const std::string target = File("d/f", "b");
    fs::create_directory_symlink(dir / "d", dir / "l");
    fs::create_hard_link(target, dir / "h");
    ReplaceAll({target, dir / "l/f", dir / "h"}, "b", "bb");
    EXPECT_EQ(ReadFile(target), "bb");
    // The other hard link keeps the old content, and the run says so.
    EXPECT_EQ(ReadFile(dir / "h"), "b");
    EXPECT_EQ(report.Line(2), target + ": its other hard links keep the old content");
    EXPECT_EQ(run.State().totalFound, 1);
}

TEST_F(DataSafetyTest, BatchedCommitsKeepListOrderAndStillRefuseAFileChangedMeanwhile)
{
    // 70 targets make three batches, each scanned while the one before it is flushed; target
    // 3 is changed by another program while target 20 is scanned, after its own scan and
    // before its batch is committed.
    std::vector<std::string> paths;
    for (int i = 0; i < 70; ++i) paths.push_back(File(std::string("f").append(std::to_string(100 + i)), std::string("b").append(std::to_string(i))));
    struct stat watched {};
    ASSERT_EQ(stat(paths[20].c_str(), &watched), 0);
    run.SetChunkReader([&](int fd, char* buffer, std::size_t n) -> ssize_t {
        struct stat st {};
        if (fstat(fd, &st) == 0 && st.st_ino == watched.st_ino && ReadFile(paths[3]) == "b3") WriteFile(paths[3], "b3 changed");
        return read(fd, buffer, n);
    });
    ReplaceAll(paths, "b", "X");
    for (int i = 0; i < 70; ++i) EXPECT_EQ(ReadFile(paths[i]), i == 3 ? std::string("b3 changed") : std::string("X").append(std::to_string(i))) << i;
    ASSERT_GE(report.Count(), 12u);
    EXPECT_EQ(report.Line(6), paths[2]);
    EXPECT_EQ(report.Line(8), "file changed during the run");
    EXPECT_EQ(report.Line(10), paths[3]);
    EXPECT_EQ(run.State().changedTargets, 69);
    EXPECT_EQ(Entries(), 70u);
}
