// Entry of the Windows test programs: the process is prepared as kavlor.exe prepares it, and
// every test runs under a time limit of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/Texts.h"
#include "base/App.h"

namespace {

// A test that passes its time limit is stopped, with every process it started, and says so:
// a failing test then costs its own time, and no program it left behind holds the session up.
// The processes are those of a job that kills them all when its last handle closes, which is
// also what happens when the harness kills this process.
class TimeLimit : public ::testing::EmptyTestEventListener {
public:
    TimeLimit()
    {
        m_job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!m_job || !SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) ||
            !AssignProcessToJobObject(m_job, GetCurrentProcess())) {
            std::fprintf(stderr, "warning: no job object for this test's processes (error %lu)\n", GetLastError());
        }
        m_started = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_ended = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (HANDLE watcher = CreateThread(nullptr, 0, &TimeLimit::Watch, this, 0, nullptr)) {
            CloseHandle(watcher);  // it runs as long as the process
        }
    }

private:
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        m_name = std::string(test.test_suite_name()) + "." + test.name();
        SetEvent(m_started);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { SetEvent(m_ended); }

    // The limit in seconds: KAVLOR_TEST_LIMIT (each test's own, set where the tests are
    // listed), times KAVLOR_TIME_SCALE where programs run more slowly.
    static DWORD LimitMs()
    {
        auto number = [](const wchar_t* name, unsigned long fallback) {
            wchar_t text[16] = L"";
            GetEnvironmentVariableW(name, text, 16);
            unsigned long value = std::wcstoul(text, nullptr, 10);
            return value > 0 ? value : fallback;
        };
        return static_cast<DWORD>(number(L"KAVLOR_TEST_LIMIT", 60) * number(L"KAVLOR_TIME_SCALE", 1) * 1000);
    }

    static DWORD WINAPI Watch(void* parameter)
    {
        auto* self = static_cast<TimeLimit*>(parameter);
        const DWORD limit = LimitMs();
        for (;;) {
            WaitForSingleObject(self->m_started, INFINITE);
            if (WaitForSingleObject(self->m_ended, limit) == WAIT_OBJECT_0) {
                continue;
            }
            std::fprintf(stderr,
                         "\n%s went past its time limit of %lu s: it and the programs it started are stopped.\n",
                         self->m_name.c_str(), limit / 1000);
            std::fflush(stderr);
            std::fflush(stdout);
            if (self->m_job) {
                TerminateJobObject(self->m_job, 3);
            }
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }

    HANDLE m_job = nullptr;
    HANDLE m_started = nullptr;
    HANDLE m_ended = nullptr;
    std::string m_name;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TimeLimit);
    if (!kavlor::InitApplication(GetModuleHandleW(nullptr))) {
        return 2;
    }
    kavlor::SetUnexpectedFailureText(kavlor::texts::kUnexpectedFailure, kavlor::texts::kAppTitle);
    int result = RUN_ALL_TESTS();
    kavlor::ShutdownApplication();
    return result;
}
