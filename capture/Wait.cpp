// Deadline of the automatic capture's wait.
#include "capture/Wait.h"

namespace kavlor {

long long AutoCaptureWaitEndMs(long long startMs)
{
    long long startSecond = startMs / 1000;
    long long deadlineSecond = startSecond + 2;
    // "Later than the deadline" on a clock of whole seconds is the next second.
    return (deadlineSecond + 1) * 1000;
}

}  // namespace kavlor
