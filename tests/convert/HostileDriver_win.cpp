// Hostile files on disk and the figures of the hostile-input tests.
#include "tests/convert/HostileDriver_win.h"

#include <psapi.h>

#include <cstdio>

#include "base/Handles.h"

namespace kavlor::test {

void WriteHostileFile(const std::wstring& path, const HostileFile& file)
{
    UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(out.get(), file.bytes.data(), static_cast<DWORD>(file.bytes.size()), &written, nullptr);
    if (file.fileBytes > file.bytes.size()) {
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(file.fileBytes);
        SetFilePointerEx(out.get(), end, nullptr, FILE_BEGIN);
        SetEndOfFile(out.get());
    }
}

void HostileTally::Add(const std::string& outcome, const std::string& label, double seconds)
{
    ++m_counts[outcome];
    ++m_total;
    Timed(label, seconds);
}

void HostileTally::Timed(const std::string& label, double seconds)
{
    if (seconds > m_slowest) {
        m_slowest = seconds;
        m_slowestLabel = label;
    }
}

int HostileTally::Count(const std::string& outcome) const
{
    auto found = m_counts.find(outcome);
    return found == m_counts.end() ? 0 : found->second;
}

double HostileTally::Print(const char* entryPoint, bool privateBytes) const
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    const double peakMb = static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20);
    const double privateMb = static_cast<double>(memory.PeakPagefileUsage) / (1 << 20);
    std::printf("%s: %d hostile cases\n", entryPoint, m_total);
    for (const auto& [outcome, count] : m_counts) {
        std::printf("  %-40s %5d\n", outcome.c_str(), count);
    }
    std::printf("  slowest case %.3f s (%s)\n", m_slowest, m_slowestLabel.c_str());
    std::printf("  peak working set %.0f MB, peak private bytes %.0f MB\n", peakMb, privateMb);
    std::fflush(stdout);
    return privateBytes ? privateMb : peakMb;
}

double Seconds()
{
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace kavlor::test
