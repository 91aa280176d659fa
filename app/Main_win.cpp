// Program entry: prepares the process, shows the main window and runs the message loop.
#include <windows.h>

#include "app/MainWindow.h"
#include "app/Texts.h"
#include "base/App.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    if (!kavlor::InitApplication(instance)) {
        return 1;
    }
    kavlor::SetUnexpectedFailureText(kavlor::texts::kUnexpectedFailure, kavlor::texts::kAppTitle);
    int exitCode = 1;
    {
        kavlor::MainWindow frmSnap;
        if (frmSnap.Create(showCommand)) {
            exitCode = kavlor::RunMessageLoop();
        }
    }
    kavlor::ShutdownApplication();
    return exitCode;
}
