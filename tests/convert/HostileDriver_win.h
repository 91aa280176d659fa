// The hostile files on disk for the Wine tests, and the figures those tests print: how each
// case ended, the slowest case and the process's memory.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "tests/convert/HostileFiles.h"

namespace kavlor::test {

// Writes the file, going on with zeros to its full size: such a file is sparse and costs no disk.
void WriteHostileFile(const std::wstring& path, const HostileFile& file);

// How the cases of one entry point ended, and the slowest of them.
class HostileTally {
public:
    void Add(const std::string& outcome, const std::string& label, double seconds);
    // A time measured apart from the outcomes.
    void Timed(const std::string& label, double seconds);
    int Count(const std::string& outcome) const;
    // One line per outcome, the slowest case, and the peak working set and private bytes of
    // this process (Wine counts private bytes as paged); returns the peak working set in MB, or
    // with `privateBytes` the peak private bytes (which leave out the pages of mapped files).
    double Print(const char* entryPoint, bool privateBytes = false) const;

private:
    std::map<std::string, int> m_counts;
    int m_total = 0;
    double m_slowest = 0;
    std::string m_slowestLabel;
};

// Seconds on a steady clock.
double Seconds();

}  // namespace kavlor::test
