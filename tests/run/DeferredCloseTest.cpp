/*
 * DeferredClose: every descriptor handed over is closed once Drain returns, and the closer
 * works again after a drain (a run after a run).
 */
#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "run/DeferredClose.h"

TEST(DeferredCloseTest, EveryDescriptorIsClosedWhenDrainReturnsRunAfterRun)
{
    DeferredClose closer;
    for (int run = 0; run < 2; ++run) {
        std::vector<int> handed;
        for (int i = 0; i < 20; ++i) {
            int ends[2];
            ASSERT_EQ(pipe(ends), 0);
            handed.insert(handed.end(), {ends[0], ends[1]});
            closer.Close(ends[0]);
            closer.Close(ends[1]);
        }
        closer.Drain();
        for (const int fd : handed) EXPECT_TRUE(fcntl(fd, F_GETFD) == -1 && errno == EBADF) << "run " << run << ", fd " << fd;
    }
}
