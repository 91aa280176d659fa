// The program killed in the middle of a save or a conversion: the file it was writing is the
// old one or the new one, whole, at whatever moment the process ends, and nothing else is left.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ImageFile_win.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

// Starts the worker in `mode` with `args`, lets it write both versions whole, then kills it
// after `delayMs` (the moment moves from run to run, so the kill lands everywhere in a write).
// Returns false when the worker did not get going; `ended` then has its exit code.
bool KillWorkerMidway(const std::wstring& mode, const std::wstring& args, DWORD delayMs, DWORD& ended)
{
    static int runs = 0;
    const std::wstring eventName =
        L"KavlorFaultWorker" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    const std::wstring program = FaultWorkerExePath();
    std::wstring line = L"\"" + program + L"\" " + mode + L" " + eventName + L" " + args;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    bool started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process) != FALSE;
    bool working = false;
    if (started) {
        HANDLE waits[] = {ready, process.hProcess};
        working = WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
        GetExitCodeProcess(process.hProcess, &ended);
        Sleep(delayMs);  // where the kill lands, not a wait for anything
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(ready);
    return working;
}

// Deletes the files a killed writer left beside its target, and says how many there were.
int RemoveLeftovers(const std::wstring& folder, const std::vector<std::wstring>& keep)
{
    int removed = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            std::find(keep.begin(), keep.end(), name) == keep.end()) {
            removed += DeleteFileW((folder + L"\\" + name).c_str()) ? 1 : 0;
        }
    }
    FindClose(search);
    return removed;
}

constexpr int kKills = 24;

TEST(Interruptions, AKilledSaveLeavesTheOldOrTheNewPictureWhole)
{
    TempDir dir;
    WriteBytes(dir.file(L"a.bmp"), MakeBmp(1024, 768));
    WriteBytes(dir.file(L"b.bmp"), MakeBmp(768, 1024));
    // What each version looks like once saved whole.
    std::vector<std::vector<uint8_t>> whole;
    for (const wchar_t* name : {L"a.bmp", L"b.bmp"}) {
        ImageLoad load = LoadPictureFile(dir.file(name));
        ASSERT_TRUE(load.picture);
        ASSERT_EQ(SavePictureFile(*load.picture, dir.file(L"whole.bmp")), ImageSaveError::None);
        whole.push_back(ReadBytes(dir.file(L"whole.bmp")));
    }
    const std::wstring args =
        L"\"" + dir.file(L"shot.bmp") + L"\" \"" + dir.file(L"a.bmp") + L"\" \"" + dir.file(L"b.bmp") + L"\"";
    int leftovers = 0;
    DWORD ended = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        ASSERT_TRUE(KillWorkerMidway(L"save", args, kill * 3, ended)) << kill << ", exit code " << ended;
        std::vector<uint8_t> left = ReadBytes(dir.file(L"shot.bmp"));
        EXPECT_TRUE(left == whole[0] || left == whole[1]) << "kill " << kill << ": " << left.size() << " bytes";
        leftovers += RemoveLeftovers(dir.path(), {L"a.bmp", L"b.bmp", L"whole.bmp", L"shot.bmp"});
    }
    EXPECT_EQ(leftovers, 0) << "temporary files left beside the picture";
}

TEST(Interruptions, AKilledConversionLeavesTheOldOrTheNewResultWhole)
{
    TempDir dir;
    const std::wstring library = TestProgramDir() + L"\\conversion.dll";
    ASSERT_TRUE(CopyFileW((TestProgramDir() + L"\\..\\app\\conversion.dll").c_str(), library.c_str(), FALSE));
    WriteBytes(dir.file(L"a.bmp"), MakeBmp(1024, 768));
    WriteBytes(dir.file(L"b.bmp"), MakeBmp(640, 480));
    // What each version looks like once converted whole: the library's output is the same
    // for the same input.
    std::vector<std::vector<uint8_t>> whole;
    {
        HMODULE module = LoadLibraryW(library.c_str());
        ASSERT_TRUE(module);
        auto convert =
            reinterpret_cast<int(__stdcall*)(char*, int)>(reinterpret_cast<void*>(GetProcAddress(module, "BmpToJpg")));
        ASSERT_TRUE(convert);
        wchar_t current[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, current);
        SetCurrentDirectoryW(dir.path().c_str());
        for (const wchar_t* name : {L"a.bmp", L"b.bmp"}) {
            char x[] = "x.bmp";
            CopyFileW(name, L"x.bmp", FALSE);
            EXPECT_EQ(convert(x, 0), 0);
            whole.push_back(ReadBytes(dir.file(L"X.JPG")));
        }
        SetCurrentDirectoryW(current);
        FreeLibrary(module);
    }
    const std::vector<std::wstring> keep = {L"a.bmp", L"b.bmp", L"x.bmp", L"X.JPG"};
    int leftovers = 0;
    DWORD ended = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        ASSERT_TRUE(KillWorkerMidway(L"convert", L"\"" + dir.path() + L"\"", kill * 2, ended))
            << kill << ", exit code " << ended;
        std::vector<uint8_t> left = ReadBytes(dir.file(L"X.JPG"));
        EXPECT_TRUE(left == whole[0] || left == whole[1]) << "kill " << kill << ": " << left.size() << " bytes";
        leftovers += RemoveLeftovers(dir.path(), keep);
    }
    EXPECT_EQ(leftovers, 0) << "temporary files left beside the result";
}

}  // namespace
}  // namespace kavlor::test
