// Benchmark of the converter window's run next to the library's own time on the same files.
#pragma once

namespace kavlor {

// Converts 100 screenshots of 1920x1080 through the window and through bare calls of
// conversion.dll, and prints both times and the window's overhead.
void BenchConverter();

}  // namespace kavlor
