/*
 * qmend as a user runs it: answers piped into standard input, the report on standard
 * output, occurrences and questions on standard error, the files afterwards and the exit
 * status.
 */
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include <pty.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "QmendFixture.h"
#include "fakes/ScriptedDesktop.h"
#include "settings/ConfigPage.h"

namespace fs = std::filesystem;

namespace {

class QmendTest : public QmendFixture {
protected:
    // Names in the scratch directory.
    std::size_t Entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.Path()), {})); }
};

// The report lines qmend prints for one target with findings.
std::string ReportOf(const std::string& lines)
{
    return "------------------------------------------------------------------   Report   "
           "------------------------------------------------------------------\nProcess started...\n" +
           lines + "Done.\n";
}

// Whether the process holds the directory open.
bool HoldsOpen(pid_t pid, const std::string& directory)
{
    std::error_code error;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
        if (fs::read_symlink(fd.path(), error) == directory) return true;
    return false;
}

// Stops the child while its walk lists root (which it holds open until it has been through
// everything below), for longer than the progress line waits, then lets it go on; whether
// it was caught there.
bool PauseInsideWalk(pid_t pid, const std::string& root)
{
    for (int tries = 0; tries < 1000000; ++tries) {
        if (!HoldsOpen(pid, root)) continue;
        kill(pid, SIGSTOP);
        int status = 0;
        waitpid(pid, &status, WUNTRACED);
        const bool inside = WIFSTOPPED(status) && HoldsOpen(pid, root);
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        kill(pid, SIGCONT);
        return inside;
    }
    return false;
}

// Everything readable from fd until its writers are gone.
std::string Drain(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

}  // namespace

TEST_F(QmendTest, ExitStatusSaysWhatHappened)
{
    const std::string a = File("a.txt", "one qmend\n");
    File("b.txt", "taken");
    const std::string found = ReportOf(a + "\nfound in content:1\nTotal found:1\n");
    const struct {
        std::string args, input;
        int status;
        std::optional<std::string> out;
        // Standard error holds this, or is exactly this.
        std::string err;
        bool wholeErr = false;
    } cases[] = {
        {"-a qmend a.txt", "y\n", 0, found, "Start search/replace? [y/N] y\n"},
        {"-a -y nothing a.txt", "", 1, {}, ""},
        {"qmend a.txt", "", 1, "", ""},
        {"qmend", "", 2, {}, ""},
        {"--overlap=65536 qmend a.txt", "", 2, {}, ""},
        {"--buffer-size=12k qmend a.txt", "", 2, {}, ""},
        {"-y '(' a.txt", "", 2, {}, "qmend: Regexp error! mismatched parenthesis\n", true},
        {"--list --name='a(' a.txt", "", 2, {}, "qmend: invalid --name pattern: mismatched parenthesis\n", true},
        {"-y qmend gone.txt", "", 2, {}, "qmend: gone.txt: No such file or directory\nqmend: No file choosen.\n", true},
        // A missing path among good ones: the good ones are processed, the status still says it.
        {"-a -y qmend gone.txt a.txt a.txt/x", "", 2, found,
         "qmend: gone.txt: No such file or directory\nqmend: a.txt/x: Not a directory\n"},
        {"-a -y --names --no-content -r b a a.txt", "", 3,
         ReportOf("renamimg error\n" + a + ": File exists\n" + a + "\nfound in name:1\nTotal found:1\n"), ""},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Qmend(c.args, c.input);
        EXPECT_EQ(outcome.status, c.status) << c.args;
        EXPECT_EQ(outcome.out, c.out.value_or(outcome.out)) << c.args;
        EXPECT_EQ(c.wholeErr ? outcome.err : outcome.err.substr(outcome.err.find(c.err), c.err.size()), c.err) << c.args;
    }
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
    EXPECT_NE(outcome.err.find("qmend: replaced 0 occurrences in 0 files; 1 confirmed ones not written (\"Skip this "
                               "file\", \"Cancel! (skip all)\" or a file the run could not finish)\n"),
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

TEST_F(QmendTest, WholeWordKeepsAlternativesBetweenTheBoundaries)
{
    const std::string text = "category cat dog hotdog\n";
    // Also in extended mode, where the pattern may end in a comment.
    for (const char* pattern : {"'cat|dog'", "-x 'cat | dog  # pets'"}) {
        const std::string path = File("a.txt", text);
        EXPECT_EQ(Qmend(std::string("-a -y -r PET -w ") + pattern + " a.txt").status, 0) << pattern;
        EXPECT_EQ(ReadFile(path), "category PET PET hotdog\n") << pattern;
    }
}

TEST_F(QmendTest, ControlBytesAreEscapedOnTheTerminalAndKeptInTheReportFile)
{
    File("a\x01" "b.txt", std::string("q\x02q\0q", 5));
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
    const std::string secret = File("secret.txt", "b");
    // Nobody may write the file, not the directory, may not read the secret, and may run the
    // program from its home.
    ASSERT_EQ(chmod(dir.Path().c_str(), 0755) | chmod(path.c_str(), 0666) | chmod(home.Folder().c_str(), 0755) |
                  chmod(secret.c_str(), 0600),
              0);
    const std::string nobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups";
    const std::string tooLarge = path + ": cannot write the temporary file: File too large\n";
    const struct {
        std::string prefix, args;
        int status;
        // Standard output and standard error hold these.
        std::string out, err;
    } cases[] = {
        // The temporary file cannot be written past 1 KiB: the write fails, no signal kills qmend.
        {"ulimit -f 1;", "-a -y -r X b t.txt", 3, "file write error\n" + tooLarge, "qmend: " + tooLarge},
        {nobody, "-a -y -r X b t.txt", 3, "", path + ": cannot create the temporary file: Permission denied\n"},
        {nobody, "-a -y --names --no-content -r Z t t.txt", 3, "renamimg error\n" + path + ": Permission denied\n", ""},
        // A file that cannot be read is no "nothing found": a read failure, exit 2.
        {nobody, "-a -y b t.txt secret.txt", 2, "file read error\n" + secret + ": Permission denied\n",
         "Start search/replace? [y/N] yes\nqmend: " + secret + ": Permission denied\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Qmend(c.args, "", c.prefix);
        EXPECT_EQ(outcome.status, c.status) << c.args;
        EXPECT_NE(outcome.out.find(c.out), std::string::npos) << c.args << outcome.out;
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << c.args << outcome.err;
        EXPECT_EQ(ReadFile(path), text) << c.args;
        EXPECT_EQ(Entries(), 2u) << c.args;
    }
    // Both streams into one file (the "#" drops the fixture's own redirections): the report so
    // far is written out before each message, so the caption comes first.
    Qmend("-a -y -r X b t.txt > both 2>&1 #", "", "ulimit -f 4;");
    const std::string both = ReadFile(dir / "both");
    const std::size_t message = both.find("qmend: " + path + ": cannot write");
    EXPECT_NE(message, std::string::npos) << both;
    EXPECT_LT(both.find("file write error\n" + path + ": cannot write"), message) << both;
}

// With no thread to spare (the user's process limit reached), a run of many replaced files
// flushes and closes them on its own thread, and changes every one as it would otherwise.
TEST_F(QmendTest, ARunWithoutThreadsToSpareStillReplacesEveryFile)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 70; ++i) paths.push_back(File(std::to_string(i) + ".txt", "b b\n"));
    ASSERT_EQ(Qmend("-a -y b 0.txt").status, 0);  // the program's configuration is made
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777) | chmod(home.Folder().c_str(), 0777), 0);
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    for (const std::string& path : paths) ASSERT_EQ(chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    // A sanitizer's leak check needs a thread of its own at the exit: it is left out here.
    const Outcome run = Qmend("-a -y --no-undo -r X b .", "",
                              "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 setpriv --reuid=nobody --regid=nogroup "
                              "--clear-groups prlimit --nproc=1");
    EXPECT_EQ(run.status, 0) << run.err;
    for (const std::string& path : paths) EXPECT_EQ(ReadFile(path), "X X\n") << path;
}

TEST_F(QmendTest, TerminationSignalsRemoveTheTemporaryFile)
{
    const std::string text = "b" + std::string(100000, '-');
    const std::string path = File("t.txt", text);
    Child child = Start({"-y", "-r", "X", "b", "t.txt"});
    // Waiting at the first occurrence, the temporary file written so far beside the target.
    for (int i = 0; i < 1000 && ReadFile(home / "err").find("replace it") == std::string::npos; ++i) usleep(10000);
    EXPECT_EQ(Entries(), 2u);
    kill(child.pid, SIGTERM);
    const int status = Finish(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(QmendTest, ListedDirectoriesAreExpandedBeforeTheRun)
{
    const std::string d = dir / "d";
    File("d/a.txt", "qmend");
    File("d/e/b.log", "qmend");
    File("d/e/empty.txt", "");
    const std::pair<std::string, std::string> listings[] = {
        {"d", d + "\n" + d + "/a.txt\n" + d + "/e\n" + d + "/e/b.log\n" + d + "/e/empty.txt\n"},
        {"-d 1 --no-dirs d", d + "/a.txt\n"},
        {"--no-dirs --exact-name --name='b\\.LOG' d", d + "/e/b.log\n"},
        {"--no-dirs --name-case --name=LOG d", ""},
        {"--no-dirs --size=1.. d", d + "/a.txt\n" + d + "/e/b.log\n"},
        {"--no-expand d", d + "\n"},
    };
    for (const auto& [args, listed] : listings) EXPECT_EQ(Qmend("--list " + args).out, listed) << args;
    EXPECT_EQ(Qmend("--list --size=x d").status, 2);
    const Outcome run = Qmend("-a -y qmend d");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(d + "/e/b.log\nfound in content:1\nTotal found:2\n"), std::string::npos);
}

TEST_F(QmendTest, AListingThatTakesASecondShowsItsProgressOnATerminalOnly)
{
    const std::string tree = dir / "tree";
    for (int d = 0; d < 100; ++d)
        for (int f = 0; f < 100; ++f) File("tree/" + std::to_string(d) + "/" + std::to_string(f), "");
    const std::string listing = Qmend("--list tree").out;
    for (const bool terminal : {true, false}) {
        // What qmend writes to ends[1] is read from ends[0].
        int ends[2];
        ASSERT_EQ(terminal ? openpty(&ends[0], &ends[1], nullptr, nullptr, nullptr) : pipe(ends), 0);
        Child child = Start({"--list", "tree"}, ends[1]);
        close(ends[1]);
        ASSERT_TRUE(PauseInsideWalk(child.pid, tree)) << "the walk ended before it could be paused";
        Finish(child);
        const std::string shown = Drain(ends[0]);
        close(ends[0]);
        EXPECT_EQ(ReadFile(home / "out"), listing);
        // On the terminal: the line, redrawn in place, and cleared at the end.
        const std::regex drawn(terminal ? "^(\r\x1b\\[K[0-9]+ entries walked: /[^\r]*)+\r\x1b\\[K$" : "^$");
        EXPECT_TRUE(std::regex_match(shown, drawn)) << shown;
    }
}

TEST_F(QmendTest, ConfigurationIsSavedLoadedAndOverriddenByTheCommandLine)
{
    CMainConfigSheet expected;
    expected.page.tempDir = CDynString((home / "qmend_temp").c_str());
    expected.page.archiveDir = CDynString((home / "qmend_arch").c_str());
    ASSERT_TRUE(SaveParamsTo(expected, dir / "expected.par"));
    EXPECT_EQ(Qmend("--save-config=default.par").status, 0);
    EXPECT_EQ(ReadFile(dir / "default.par"), ReadFile(dir / "expected.par"));

    EXPECT_EQ(Qmend("--save-config=small.par --buffer-size=100 --overlap=10 --temp-dir=/t").status, 0);
    CMainConfigSheet loaded;
    ScriptedDesktop desktop;
    ASSERT_TRUE(LoadParamsFrom(loaded, desktop, dir / "small.par"));
    EXPECT_EQ(loaded.page.bufferSize, 100u);
    EXPECT_EQ(loaded.page.overlap, 10u);
    EXPECT_EQ(loaded.page.tempDir.View(), "/t");
    // A 150-byte match does not fit the loaded 100-byte buffer, but fits a larger one.
    File("long.txt", std::string(150, 'a'));
    EXPECT_EQ(Qmend("-a -y --config=small.par 'a{150}' long.txt").status, 1);
    EXPECT_EQ(Qmend("-a -y --config=small.par --buffer-size=200 'a{150}' long.txt").status, 0);
    EXPECT_EQ(Qmend("-y --config=missing.par a long.txt").status, 2);
    EXPECT_EQ(Qmend("--config=small.par --overlap=100 a long.txt").status, 2);
}

TEST_F(QmendTest, BackupIsMadeOnlyWhenAskedAndAllowedToEmptyTheTempDir)
{
    const std::string target = File("t.txt", "abc");
    fs::create_directories(dir / "tmp");
    // Relative paths keep the meaning they had at the start: the archive goes to adir/, and
    // tmp/ is emptied, not adir/tmp/.
    const std::string userData = File("adir/tmp/user.txt", "mine");
    const std::string backup = "-a -y -r X --temp-dir=tmp --backup=adir/b.zip b t.txt";
    EXPECT_NE(Qmend(backup).status, 0);
    EXPECT_EQ(ReadFile(target), "abc");
    EXPECT_FALSE(fs::exists(dir / "adir/b.zip"));
    EXPECT_EQ(Qmend("--empty-temp-dir " + backup).status, 0);
    EXPECT_EQ(ReadFile(target), "aXc");
    ASSERT_TRUE(fs::exists(dir / "adir/b.zip"));
    EXPECT_EQ(std::system(("7za t '" + dir / "adir/b.zip" + "' > /dev/null").c_str()), 0);
    EXPECT_EQ(ReadFile(userData), "mine");

    // A failure message quoting a path shows its control bytes escaped.
    File("plain", "p");
    const Outcome odd = Qmend("-a -y -r X --temp-dir=tmp --empty-temp-dir --backup=\"$(printf 'plain/\\033[2J.zip')\" b t.txt");
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
        const Outcome outcome = Qmend("-a -y -r X " + option + " b d");
        EXPECT_EQ(outcome.status, 2) << option;
        EXPECT_EQ(outcome.err, message + "\n") << option;
        EXPECT_EQ(ReadFile(target), "abc") << option;
    }
    EXPECT_FALSE(fs::exists(dir / "d/new.txt"));
    EXPECT_EQ(Qmend("-a -y --report=r.txt b d").status, 0);
    EXPECT_NE(ReadFile(dir / "r.txt").find(target), std::string::npos);
}

TEST_F(QmendTest, PathsAreTakenByteForByteAndDotsMeanWhatTheFileSystemSays)
{
    const std::string plain = File("f", "x"), tab = File("f\t", "x"), backslash = File("f\\", "x");
    EXPECT_EQ(Qmend("-a -y -r Y x \"$(printf 'f\\t')\" 'f\\'").status, 0);
    EXPECT_EQ(ReadFile(plain) + ReadFile(tab) + ReadFile(backslash), "xYY");
    // lnk/../g is the g beside what lnk points to, not the g beside lnk.
    const std::string beside = File("g", "x"), inner = File("a/g", "x");
    File("a/sub/h", "");
    fs::create_directory_symlink("a/sub", dir / "lnk");
    EXPECT_EQ(Qmend("-a -y -r Y x lnk/../g").status, 0);
    EXPECT_EQ(ReadFile(beside) + ReadFile(inner), "xY");
    EXPECT_EQ(Qmend("--list --no-expand . lnk/.. a/sub/../sub/.").out,
              dir.Path() + "\n" + dir / "a" + "\n" + dir / "a/sub" + "\n");
}
