// Benchmark of the region selection's per-message drawing cost.
#pragma once

// Times one erase+draw pair of the selection frame with its label, as each mouse message of a
// drag costs, for a large and a small rectangle, and prints the times per pair.
void BenchSelectionFrame();
