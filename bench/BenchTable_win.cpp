// Benchmark rows as tab-separated lines, which scripts/bench.sh gathers into one table.
#include "bench/BenchTable_win.h"

#include <windows.h>

#include <cstdio>

#include "base/Handles.h"

namespace kavlor::bench {

namespace {

std::wstring gRowFile;

// Tabs and line ends would break the line's columns.
std::string Field(std::string text)
{
    std::replace(text.begin(), text.end(), '\t', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

void SetRowFile(const std::wstring& path)
{
    gRowFile = path;
}

void AddRow(const Row& row)
{
    char values[64];
    std::snprintf(values, sizeof(values), "%.6f\t", row.oursValue);
    std::string line = Field(row.what) + "\t" + Field(row.ours) + "\t" + values + Field(row.reference) + "\t";
    std::snprintf(values, sizeof(values), "%.6f\t", row.referenceValue);
    line += values + Field(row.unit) + "\t" + Field(row.goal) + "\n";
    if (gRowFile.empty()) {
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        return;
    }
    UniqueFile file(CreateFileW(gRowFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::wstring BenchFolder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const DWORD shm = GetFileAttributesW(L"Z:\\dev\\shm");
    const std::wstring folder =
        (shm != INVALID_FILE_ATTRIBUTES && (shm & FILE_ATTRIBUTE_DIRECTORY) ? L"Z:\\dev\\shm\\" : temp) +
        std::wstring(name);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace kavlor::bench
