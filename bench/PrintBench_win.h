// Benchmark of the print command next to a bare print of the same bitmap.
#pragma once

namespace kavlor {

// Prints a 1920x1080 picture on the default printer through the print command and through a
// bare StretchDIBits job, and prints both times and their ratio.
void BenchPrint();

}  // namespace kavlor
