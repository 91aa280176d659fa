// The benchmark's table rows: a figure of ours beside a reference measured in the same run, and
// the clock and best-of-N timing every part of the benchmark uses.
#pragma once

#include <algorithm>
#include <string>

namespace kavlor::bench {

struct Row {
    std::string what;       // the task, e.g. "save of a 1920x1080 picture"
    std::string ours;       // what did it on our side
    double oursValue = 0;   // in `unit`
    std::string reference;  // what it is measured against
    double referenceValue = 0;
    std::string unit = "ms";
    std::string goal;  // the ratio or time aimed at ("<= 1.10", "< 1", "<= 1 ms"), empty for none
};

// Sends rows to the file named by SetRowFile (appended), or to the standard output.
void SetRowFile(const std::wstring& path);
void AddRow(const Row& row);

// A folder of that name in memory where the system has such a place (Wine's view of /dev/shm),
// else in the temporary folder; made when missing. In memory, the disk's write-back of earlier
// files does not land on either side of a figure at random, and a flush costs nothing.
std::wstring BenchFolder(const wchar_t* name);

double NowMs();

// The least of many runs: the most repeatable figure on a busy machine.
template <typename F>
double BestOf(int runs, F&& work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        work();
        best = std::min(best, NowMs() - start);
    }
    return best;
}

}  // namespace kavlor::bench
