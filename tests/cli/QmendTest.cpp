/*
 * qmend as a user runs it: answers piped into standard input, the report on standard
 * output, occurrences and questions on standard error, the files afterwards and the exit
 * status.
 */
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/ScriptedDesktop.h"
#include "fakes/TempDir.h"
#include "settings/ConfigPage.h"

namespace {

// What one qmend run left behind.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class QmendTest : public ::testing::Test {
protected:
    // The first run creates the configuration beside the program and says so; later runs
    // are quiet about it.
    static void SetUpTestSuite() { std::system(QMEND_PATH " --save-config=/dev/null > /dev/null 2>&1"); }

    // Runs `prefix qmend args` in the scratch directory with input on standard input.
    Outcome Qmend(const std::string& args, const std::string& input, const std::string& prefix = "",
                  const std::string& program = QMEND_PATH)
    {
        WriteFile(dir / ".in", input);
        const std::string command = "cd '" + dir.Path() + "' && " + prefix + " " + program + " " + args +
                                    " < .in > .out 2> .err";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadFile(dir / ".out");
        outcome.err = ReadFile(dir / ".err");
        return outcome;
    }
    std::string File(const std::string& name, const std::string& bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(dir / name).parent_path());
        EXPECT_TRUE(WriteFile(dir / name, bytes));
        return dir / name;
    }
    // Names in the scratch directory besides the streams.
    std::size_t Entries() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {})) - 3;
    }

    TempDir dir;
};

// The report lines qmend prints for one target with findings.
std::string ReportOf(const std::string& lines)
{
    return "------------------------------------------------------------------   Report   "
           "------------------------------------------------------------------\nProcess started...\n" +
           lines + "Done.\n";
}

}  // namespace

TEST_F(QmendTest, ExitStatusSaysWhatHappened)
{
    const std::string a = File("a.txt", "one qmend\n");
    Outcome found = Qmend("-a qmend a.txt", "y\n");
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, ReportOf(a + "\nfound in content:1\nTotal found:1\n"));
    EXPECT_NE(found.err.find("Start search/replace? [y/N] y\n"), std::string::npos);

    EXPECT_EQ(Qmend("-a -y nothing a.txt", "").status, 1);
    const Outcome declined = Qmend("qmend a.txt", "");
    EXPECT_EQ(declined.status, 1);
    EXPECT_EQ(declined.out, "");

    EXPECT_EQ(Qmend("qmend", "").status, 2);
    EXPECT_EQ(Qmend("--overlap=65536 qmend a.txt", "").status, 2);
    EXPECT_EQ(Qmend("--buffer-size=12k qmend a.txt", "").status, 2);
    const Outcome badPattern = Qmend("-y '(' a.txt", "");
    EXPECT_EQ(badPattern.status, 2);
    EXPECT_EQ(badPattern.err, "qmend: Regexp error! mismatched parenthesis\n");
    const Outcome badName = Qmend("--list --name='a(' a.txt", "");
    EXPECT_EQ(badName.status, 2);
    EXPECT_EQ(badName.err, "qmend: invalid --name pattern: mismatched parenthesis\n");
    const Outcome missing = Qmend("-y qmend gone.txt", "");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "qmend: gone.txt: No such file or directory\nqmend: No file choosen.\n");
    // A missing path among good ones: the good ones are processed, the status still says it.
    const Outcome partly = Qmend("-a -y qmend gone.txt a.txt a.txt/x", "");
    EXPECT_EQ(partly.status, 2);
    EXPECT_EQ(partly.out, found.out);
    EXPECT_TRUE(partly.err.starts_with("qmend: gone.txt: No such file or directory\n"
                                       "qmend: a.txt/x: Not a directory\n")) << partly.err;

    File("b.txt", "taken");
    const Outcome refused = Qmend("-a -y --names --no-content -r b a a.txt", "");
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.out, ReportOf("renamimg error\n" + a + ": File exists\n" + a + "\nfound in name:1\nTotal found:1\n"));
    EXPECT_EQ(ReadFile(dir / "b.txt"), "taken");
}

TEST_F(QmendTest, PipedAnswersDecideEachOccurrence)
{
    const std::string path = File("w.txt", "w1 w2\nw3 w4 w5\n");
    const Outcome outcome = Qmend("-r 'X$0' 'w\\d' w.txt", "y\ny\ny\nn\nwhat\nf\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(ReadFile(path), "w1 w2\nw3 w4 w5\n");
    EXPECT_NE(outcome.err.find(path + ":2: [w3] w4 w5\n  becomes: Xw3\n"), std::string::npos);
    EXPECT_NE(outcome.err.find("what\n[y] replace it"), std::string::npos);
    EXPECT_NE(outcome.err.find("qmend: replaced 0 occurrences in 0 files; 1 confirmed ones dropped by \"Skip this "
                               "file\" or \"Cancel! (skip all)\"\n"),
              std::string::npos);

    const Outcome kept = Qmend("-y -r 'X$0' 'w\\d' w.txt", "y\nn\na\n");
    EXPECT_EQ(kept.status, 0);
    EXPECT_EQ(ReadFile(path), "Xw1 w2\nXw3 Xw4 Xw5\n");
    EXPECT_NE(kept.err.find("qmend: replaced 4 occurrences in 1 files; 0 confirmed"), std::string::npos);
    // The end of the answers cancels: the confirmed first occurrence is not written either.
    EXPECT_EQ(Qmend("-y -r Z 'w\\d' w.txt", "y\n").status, 0);
    EXPECT_EQ(ReadFile(path), "Xw1 w2\nXw3 Xw4 Xw5\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(QmendTest, ControlBytesAreEscapedOnTheTerminalAndKeptInTheReportFile)
{
    const std::string path = File("a\x01" "b.txt", std::string("q\x02q\0q", 5));
    const Outcome outcome = Qmend("-y --report=report.txt 'q.q' 'a\x01" "b.txt'", "y\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, ReportOf(dir.Path() + "/a\\x01b.txt\nfound in content:1\nTotal found:1\n"));
    EXPECT_NE(outcome.err.find("[q\\x02q]\\x00q"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "report.txt").substr(0, 5), "q\x02q\r\n");
}

TEST_F(QmendTest, EveryFailedTargetIsToldAndSetsTheExitStatus)
{
    const std::string text(8000, 'b');
    const std::string path = File("t.txt", text);
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
    // The temporary file cannot be written past 1 KiB: the write fails, no signal kills qmend.
    const Outcome tooBig = Qmend("-a -y -r X b t.txt", "", "ulimit -f 1;");
    EXPECT_EQ(tooBig.status, 3);
    EXPECT_NE(tooBig.out.find("file write error\n" + path + ": cannot write the temporary file: File too large\n"),
              std::string::npos);
    EXPECT_NE(tooBig.err.find("qmend: " + path + ": cannot write the temporary file: File too large\n"),
              std::string::npos);
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(Entries(), 1u);
    // The directory refuses a new file to nobody, who may write the file. Nobody may not reach
    // the build tree (a checkout below /root), so it runs a copy of the program from a
    // directory it can enter.
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755) | chmod(path.c_str(), 0666), 0);
    TempDir bin;
    ASSERT_EQ(chmod(bin.Path().c_str(), 0755), 0);
    const std::string program = bin / "qmend";
    std::filesystem::copy_file(QMEND_PATH, program);
    const std::string nobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups";
    const Outcome asNobody = Qmend("-a -y -r X b t.txt", "", nobody, program);
    EXPECT_EQ(asNobody.status, 3);
    EXPECT_NE(asNobody.err.find(path + ": cannot create the temporary file: Permission denied\n"), std::string::npos);
    EXPECT_EQ(ReadFile(path), text);
    // Nor may nobody rename the file there.
    const Outcome rename = Qmend("-a -y --names --no-content -r Z t t.txt", "", nobody, program);
    EXPECT_EQ(rename.status, 3);
    EXPECT_NE(rename.out.find("renamimg error\n" + path + ": Permission denied\n"), std::string::npos);
    EXPECT_EQ(ReadFile(path), text);
    // A file nobody may not read is no "nothing found": a read failure, exit 2.
    const std::string secret = File("secret.txt", "b");
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    const Outcome unread = Qmend("-a -y b t.txt secret.txt", "", nobody, program);
    EXPECT_EQ(unread.status, 2);
    EXPECT_NE(unread.out.find("file read error\n" + secret + ": Permission denied\n"), std::string::npos);
    EXPECT_NE(unread.err.find("Start search/replace? [y/N] yes\nqmend: " + secret + ": Permission denied\n"),
              std::string::npos);
}

TEST_F(QmendTest, TerminationSignalsRemoveTheTemporaryFile)
{
    const std::string text = "b" + std::string(100000, '-');
    const std::string path = File("t.txt", text);
    File(".in", "");
    int answers[2];
    ASSERT_EQ(pipe(answers), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(answers[0], 0);
        close(answers[1]);
        if (chdir(dir.Path().c_str()) != 0 || !freopen(".out", "w", stdout) || !freopen(".err", "w", stderr)) _exit(126);
        execl(QMEND_PATH, "qmend", "-y", "-r", "X", "b", "t.txt", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(answers[0]);
    // Waiting at the first occurrence, the temporary file written so far beside the target.
    for (int i = 0; i < 1000 && ReadFile(dir / ".err").find("replace it") == std::string::npos; ++i) usleep(10000);
    EXPECT_EQ(Entries(), 2u);
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(answers[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(QmendTest, ListedDirectoriesAreExpandedBeforeTheRun)
{
    std::filesystem::create_directories(dir / "d/e");
    const std::string d = dir / "d";
    File("d/a.txt", "qmend");
    File("d/e/b.log", "qmend");
    File("d/e/empty.txt", "");
    EXPECT_EQ(Qmend("--list d", "").out, d + "\n" + d + "/a.txt\n" + d + "/e\n" + d + "/e/b.log\n" + d + "/e/empty.txt\n");
    EXPECT_EQ(Qmend("--list -d 1 --no-dirs d", "").out, d + "/a.txt\n");
    EXPECT_EQ(Qmend("--list --no-dirs --exact-name --name='b\\.LOG' d", "").out, d + "/e/b.log\n");
    EXPECT_EQ(Qmend("--list --no-dirs --name-case --name=LOG d", "").out, "");
    EXPECT_EQ(Qmend("--list --no-dirs --size=1.. d", "").out, d + "/a.txt\n" + d + "/e/b.log\n");
    EXPECT_EQ(Qmend("--list --no-expand d", "").out, d + "\n");
    EXPECT_EQ(Qmend("--list --size=x d", "").status, 2);
    const Outcome run = Qmend("-a -y qmend d", "");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(d + "/e/b.log\nfound in content:1\nTotal found:2\n"), std::string::npos);
}

TEST_F(QmendTest, ConfigurationIsSavedLoadedAndOverriddenByTheCommandLine)
{
    const std::string programDir = std::filesystem::path(QMEND_PATH).parent_path().string();
    CMainConfigSheet expected;
    expected.page.tempDir = CDynString((programDir + "/qmend_temp").c_str());
    expected.page.archiveDir = CDynString((programDir + "/qmend_arch").c_str());
    ASSERT_TRUE(SaveParamsTo(expected, dir / "expected.par"));
    EXPECT_EQ(Qmend("--save-config=default.par", "").status, 0);
    EXPECT_EQ(ReadFile(dir / "default.par"), ReadFile(dir / "expected.par"));

    EXPECT_EQ(Qmend("--save-config=small.par --buffer-size=100 --overlap=10 --temp-dir=/t", "").status, 0);
    CMainConfigSheet loaded;
    ScriptedDesktop desktop;
    ASSERT_TRUE(LoadParamsFrom(loaded, desktop, dir / "small.par"));
    EXPECT_EQ(loaded.page.bufferSize, 100u);
    EXPECT_EQ(loaded.page.overlap, 10u);
    EXPECT_EQ(loaded.page.tempDir.View(), "/t");
    // A 150-byte match does not fit the loaded 100-byte buffer, but fits a larger one.
    File("long.txt", std::string(150, 'a'));
    EXPECT_EQ(Qmend("-a -y --config=small.par 'a{150}' long.txt", "").status, 1);
    EXPECT_EQ(Qmend("-a -y --config=small.par --buffer-size=200 'a{150}' long.txt", "").status, 0);
    EXPECT_EQ(Qmend("-y --config=missing.par a long.txt", "").status, 2);
    EXPECT_EQ(Qmend("--config=small.par --overlap=100 a long.txt", "").status, 2);
}

TEST_F(QmendTest, BackupIsMadeOnlyWhenAskedAndAllowedToEmptyTheTempDir)
{
    const std::string target = File("t.txt", "abc");
    std::filesystem::create_directories(dir / "tmp");
    // Relative paths keep the meaning they had at the start: the archive goes to adir/, and
    // tmp/ is emptied, not adir/tmp/.
    const std::string userData = File("adir/tmp/user.txt", "mine");
    const std::string backup = "-a -y -r X --temp-dir=tmp --backup=adir/b.zip b t.txt";
    EXPECT_NE(Qmend(backup, "").status, 0);
    EXPECT_EQ(ReadFile(target), "abc");
    EXPECT_FALSE(std::filesystem::exists(dir / "adir/b.zip"));
    EXPECT_EQ(Qmend("--empty-temp-dir " + backup, "").status, 0);
    EXPECT_EQ(ReadFile(target), "aXc");
    ASSERT_TRUE(std::filesystem::exists(dir / "adir/b.zip"));
    EXPECT_EQ(std::system(("7za t '" + dir / "adir/b.zip" + "' > /dev/null").c_str()), 0);
    EXPECT_EQ(ReadFile(userData), "mine");

    // A failure message quoting a path shows its control bytes escaped.
    File("plain", "p");
    const Outcome odd = Qmend("-a -y -r X --temp-dir=tmp --empty-temp-dir --backup=\"$(printf 'plain/\\033[2J.zip')\" b t.txt", "");
    EXPECT_EQ(odd.status, 2);
    EXPECT_NE(odd.err.find("Archiving failed: could not create a temporary archive beside:\n" + dir / "plain/\\x1B[2J.zip\n"),
              std::string::npos) << odd.err;
    EXPECT_EQ(ReadFile(target), "aXc");
}

TEST_F(QmendTest, ReportAndArchiveAreNeverTargetsAndMustBeWritable)
{
    const std::string target = File("d/t.txt", "abc");
    File("plain", "p");
    const std::pair<std::string, std::string> refused[] = {
        {"--report=d/t.txt", "qmend: the report file " + target + " is one of the targets or lies inside one: " + dir / "d"},
        {"--report=d/new.txt", "qmend: the report file " + dir / "d/new.txt" + " is one of the targets or lies inside one: " + dir / "d"},
        {"--report=plain/r.txt", "qmend: cannot write the report file " + dir / "plain/r.txt" + ": Not a directory"},
        {"--backup=d/t.txt", "qmend: the backup archive " + target + " is one of the targets or lies inside one: " + dir / "d"},
    };
    for (const auto& [option, message] : refused) {
        const Outcome outcome = Qmend("-a -y -r X " + option + " b d", "");
        EXPECT_EQ(outcome.status, 2) << option;
        EXPECT_EQ(outcome.err, message + "\n") << option;
        EXPECT_EQ(ReadFile(target), "abc") << option;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "d/new.txt"));
    EXPECT_EQ(Qmend("-a -y --report=r.txt b d", "").status, 0);
    EXPECT_NE(ReadFile(dir / "r.txt").find(target), std::string::npos);
}

TEST_F(QmendTest, PathsAreTakenByteForByteAndDotsMeanWhatTheFileSystemSays)
{
    const std::string plain = File("f", "x"), tab = File("f\t", "x"), backslash = File("f\\", "x");
    EXPECT_EQ(Qmend("-a -y -r Y x \"$(printf 'f\\t')\" 'f\\'", "").status, 0);
    EXPECT_EQ(ReadFile(plain) + ReadFile(tab) + ReadFile(backslash), "xYY");
    // lnk/../g is the g beside what lnk points to, not the g beside lnk.
    const std::string beside = File("g", "x"), inner = File("a/g", "x");
    File("a/sub/h", "");
    std::filesystem::create_directory_symlink("a/sub", dir / "lnk");
    EXPECT_EQ(Qmend("-a -y -r Y x lnk/../g", "").status, 0);
    EXPECT_EQ(ReadFile(beside) + ReadFile(inner), "xY");
    EXPECT_EQ(Qmend("--list --no-expand . lnk/.. a/sub/../sub/.", "").out,
              dir.Path() + "\n" + dir / "a" + "\n" + dir / "a/sub" + "\n");
}
