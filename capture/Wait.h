// When the automatic capture's wait ends.
#pragma once

namespace kavlor {

// The wait reads the clock with whole-second resolution: its deadline is the start second
// plus two, and it ends at the first tick after that, between two and three seconds after
// `startMs` (milliseconds of the local wall clock).
long long AutoCaptureWaitEndMs(long long startMs);

}  // namespace kavlor
