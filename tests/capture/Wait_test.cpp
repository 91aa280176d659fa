// End of the automatic capture's wait on a clock of whole seconds.
#include "capture/Wait.h"

#include <gtest/gtest.h>

namespace kavlor {
namespace {

TEST(AutoCaptureWait, EndsAtTheFirstWholeSecondAfterTheTwoSecondDeadline)
{
    struct Row {
        long long start;
        long long end;
    };
    const Row rows[] = {
        {10000, 13000},  // on a tick: three seconds
        {10001, 13000},  // just after a tick: almost three
        {10999, 13000},  // just before the next tick: just over two
        {0, 3000},
    };
    for (const Row& row : rows) {
        long long end = AutoCaptureWaitEndMs(row.start);
        EXPECT_EQ(end, row.end) << row.start;
        EXPECT_GT(end - row.start, 2000);
        EXPECT_LE(end - row.start, 3000);
    }
}

}  // namespace
}  // namespace kavlor
