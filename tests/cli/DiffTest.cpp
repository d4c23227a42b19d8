/*
 * qmend --diff: its output applied to a copy of the tree with patch -p1 and with git apply
 * gives what the real run gives; it writes nothing itself.
 */
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/wait.h>

#include "QmendFixture.h"

namespace fs = std::filesystem;

namespace {

// Runs a shell command in directory; its exit status.
int Shell(const std::string& directory, const std::string& command)
{
    const int raw = std::system(("cd '" + directory + "' && " + command).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Every file below root (but .git) with its bytes, and every directory, as one text.
std::string Tree(const std::string& root)
{
    std::string text;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path().filename() == ".git") {
            it.disable_recursion_pending();
            continue;
        }
        text.append(it->path().string().substr(root.size())).append(it->is_directory() ? "/\n" : ":");
        if (!it->is_directory()) text.append(ReadFile(it->path())).append("\n");
    }
    return text;
}

}  // namespace

using DiffTest = QmendFixture;

TEST_F(DiffTest, PatchAndGitApplyGiveWhatTheRunGives)
{
    const std::string qmend = home.Program();
    const std::string tree = dir / "tree";
    std::string lines;
    // Changes 6 lines apart share a hunk, 7 apart do not.
    for (int i = 0; i < 30; ++i) lines += (i == 2 || i == 9 || i == 17 || i == 24) ? "foo\n" : "line\n";
    File("tree/lines.txt", lines);
    File("tree/crlf.txt", "one foo\r\ntwo\r\nfoo foo\r\n");
    File("tree/nofinal.txt", "x\nlast foo");
    File("tree/multi.txt", "a\nfoo\nfoo\nb\n");
    File("tree/foo.d/foo.txt", "foo\n");
    File("tree/foo.d/sub/untouched.txt", "z\n");
    File("tree/foo.bin", std::string("bin\0foo\n", 8));
    const std::string before = Tree(tree);
    ASSERT_EQ(Shell(tree, "git init -q . && git add -A"), 0);
    for (const char* copy : {"patched", "applied", "run"}) fs::copy(tree, dir / copy, fs::copy_options::recursive);

    const std::string args = " --names --dirs -r 'bar\\nbaz' foo lines.txt crlf.txt nofinal.txt multi.txt foo.d foo.bin";
    ASSERT_EQ(Shell(tree, qmend + " --diff" + args + " > ../diff 2> /dev/null"), 0);
    EXPECT_EQ(Tree(tree), before);
    const std::string diff = ReadFile(dir / "diff");
    EXPECT_NE(diff.find("Binary files a/foo.bin and \"b/bar\\nbaz.bin\" differ\n"), std::string::npos);
    EXPECT_NE(diff.find("\n@@ -1,13 +1,15 @@\n line\n line\n-foo\n+bar\n+baz\n line\n"), std::string::npos);
    EXPECT_NE(diff.find("\n@@ -15,14 +17,16 @@\n"), std::string::npos);
    EXPECT_NE(diff.find("\n@@ -1,4 +1,6 @@\n a\n-foo\n-foo\n+bar\n+baz\n+bar\n+baz\n b\n"), std::string::npos);
    EXPECT_NE(diff.find("-last foo\n\\ No newline at end of file\n+last bar\n+baz\n\\ No newline at end of file\n"),
              std::string::npos);
    EXPECT_NE(diff.find("rename from foo.d/sub/untouched.txt\nrename to \"bar\\nbaz.d/sub/untouched.txt\"\n"),
              std::string::npos);

    ASSERT_EQ(Shell(dir / "patched", "patch -s -p1 < ../diff"), 0);
    ASSERT_EQ(Shell(dir / "applied", "git apply ../diff"), 0);
    ASSERT_EQ(Shell(dir / "run", qmend + " -a -y --no-undo" + args + " > /dev/null 2>&1"), 0);
    const std::string binary = "/bar\nbaz.bin:";
    const std::string ran = Tree(dir / "run");
    EXPECT_NE(ran.find(binary + std::string("bin\0bar\nbaz\n", 12)), std::string::npos);
    // The binary file is only named in the diff: its bytes stay as they were.
    std::string expected = ran;
    expected.replace(ran.find(binary), binary.size() + 12, binary + std::string("bin\0foo\n", 8));
    EXPECT_EQ(Tree(dir / "patched"), expected);
    EXPECT_EQ(Tree(dir / "applied"), expected);
    EXPECT_NE(ran, before);

    ASSERT_EQ(Shell(tree, qmend + " --diff --color=always -r bar foo multi.txt > ../colored 2> /dev/null"), 0);
    EXPECT_NE(ReadFile(dir / "colored").find("\x1b[31m-foo\x1b[m\n\x1b[31m-foo\x1b[m\n\x1b[32m+bar\x1b[m\n"),
              std::string::npos);
    EXPECT_EQ(Shell(tree, qmend + " --diff -r x nowhere lines.txt > ../none 2> /dev/null"), 1);
    EXPECT_EQ(ReadFile(dir / "none"), "");
}
