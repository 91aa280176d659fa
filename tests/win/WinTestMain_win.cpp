// Entry of the Windows test programs: the process is prepared as kavlor.exe prepares it.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/App.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!kavlor::InitApplication(GetModuleHandleW(nullptr))) {
        return 2;
    }
    int result = RUN_ALL_TESTS();
    kavlor::ShutdownApplication();
    return result;
}
