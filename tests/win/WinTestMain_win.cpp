// Entry of the Windows test programs: the process is prepared as kavlor.exe prepares it.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/Texts.h"
#include "base/App.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!kavlor::InitApplication(GetModuleHandleW(nullptr))) {
        return 2;
    }
    kavlor::SetUnexpectedFailureText(kavlor::texts::kUnexpectedFailure, kavlor::texts::kAppTitle);
    int result = RUN_ALL_TESTS();
    kavlor::ShutdownApplication();
    return result;
}
