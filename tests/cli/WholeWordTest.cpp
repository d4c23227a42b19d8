/*
 * qmend -w: the pattern is matched as a whole word, alternatives included, also in extended
 * mode where the pattern may end in a comment.
 */
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fakes/TempDir.h"

namespace {

// Runs qmend in dir with every occurrence taken and no questions; its exit status.
int QmendAll(const TempDir& dir, const std::string& args)
{
    const std::string command = "cd '" + dir.Path() + "' && " QMEND_PATH " -a -y " + args + " > /dev/null 2>&1";
    return std::system(command.c_str());
}

TEST(WholeWordOption, AlternativesStayBetweenTheBoundaries)
{
    TempDir dir;
    const std::string text = "category cat dog hotdog\n";
    ASSERT_TRUE(WriteFile(dir / "a.txt", text));
    ASSERT_TRUE(WriteFile(dir / "b.txt", text));
    EXPECT_EQ(QmendAll(dir, "-r PET -w 'cat|dog' a.txt"), 0);
    EXPECT_EQ(ReadFile(dir / "a.txt"), "category PET PET hotdog\n");
    EXPECT_EQ(QmendAll(dir, "-x -r PET -w 'cat | dog  # pets' b.txt"), 0);
    EXPECT_EQ(ReadFile(dir / "b.txt"), "category PET PET hotdog\n");
}

}  // namespace
