/*
 * Drives the built qmend-regex with case lines on its standard input and checks its result
 * lines, and runs its --count form on a file holding NUL bytes.
 */
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <regex>
#include <string>
#include <vector>

#include "fakes/TempDir.h"

extern char** environ;

namespace {

// One run of the driver: its exit status and its standard output.
struct DriverRun {
    int status = -1;       // exit status, -1 when it did not run or ended by a signal
    std::string output;    // everything written to standard output
};

class QmendRegex : public ::testing::Test {
protected:
    // Runs the driver with args, standard input from the given bytes.
    DriverRun Drive(const std::vector<std::string>& args, const std::string& input)
    {
        const std::string in = m_dir.File("in.txt", input);
        const std::string out = m_dir / "out.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv{const_cast<char*>(QMEND_REGEX)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        DriverRun run;
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, QMEND_REGEX, &actions, nullptr, argv.data(), environ) == 0 &&
            waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            run.status = WEXITSTATUS(status);
        posix_spawn_file_actions_destroy(&actions);
        run.output = ReadFile(out);
        return run;
    }

    TempDir m_dir;  // scratch directory of one test
};

TEST_F(QmendRegex, AnswersEachCaseLineWithOneResultLine)
{
    const std::string input =
        "match\t-\t(a)|b\txb\n"
        "match\ti\t\\x41(b)?\\tc\tza\\tc\n"
        "match\t-\tz\tabc\n"
        "match\t-\t(a\tabc\n"
        "findall\tgRS\t(a)(b)\tabab\n"
        "findall\tg\tx*\tab\n"
        "findall\t-\t(\tab\n"
        "subst\tg\ta\tbaba\t<$0>\n"
        "subst\tn\tb\tab\\\\b\t\\\\n\\x01\n"
        "subst\t-\ta\ta\tx\\\\\n"
        "split\tg\t,\ta,b,,\\xE9\n"
        "frob\t-\ta\tb\n"
        "subst\t-\ta\tb\n";
    const DriverRun run = Drive({}, input);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output,
              "match\t1,2\t-\n"
              "match\t1,4\t-\n"
              "nomatch\n"
              "error\tmismatched parenthesis\n"
              "findall\t2\t0,2[0,1 1,1]\t2,2[2,1 3,1]\n"
              "findall\t3\t0,0\t1,0\t2,0\n"
              "findall\t-1\n"
              "subst\t2\tb<a>b<a>\n"
              "subst\t1\ta\\n\\x01\\\\b\n"
              "error\texpecting escape sequence in substitution string\n"
              "split\t4\ta\tb\t\t\\xE9\n"
              "error\tunknown command\n"
              "error\texpecting 5 tab-separated fields\n");
}

TEST_F(QmendRegex, CountsMatchesOverAWholeFileWithTheTimeTaken)
{
    const std::string file = m_dir.File("text.bin", std::string("abcABC\0abc\nab", 13));
    const DriverRun plain = Drive({"--count", "-", "abc", file}, "");
    EXPECT_EQ(plain.status, 0);
    // The count, a tab, the milliseconds with three decimals.
    EXPECT_TRUE(std::regex_match(plain.output, std::regex("2\t[0-9]+\\.[0-9]{3}\n"))) << plain.output;
    EXPECT_TRUE(std::regex_match(Drive({"--count", "i", "abc", file}, "").output, std::regex("3\t.*\n")));

    EXPECT_EQ(Drive({"--count", "-", "(", file}, "").status, 1);
    // A back-reference leaves the step budget to end an exponential search.
    const std::string hard = m_dir.File("hard.txt", std::string(40, 'a') + "!b");
    EXPECT_EQ(Drive({"--count", "-", "(a|a)*\\1b", hard}, "").status, 1);
    EXPECT_EQ(Drive({"--count", "-", "a", m_dir / "missing"}, "").status, 1);
    EXPECT_EQ(Drive({"--count", "-", "a"}, "").status, 2);
    EXPECT_EQ(Drive({"extra"}, "").status, 2);
}

}  // namespace
