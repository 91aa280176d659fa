// The outside calls of the document commands that a test may replace. Under Wine the system's
// wallpaper call reports success whatever it is given, so its failure can only be staged.
#pragma once
#include <windows.h>

namespace kavlor {

struct DocumentServices {
    decltype(&SystemParametersInfoW) systemParametersInfoW = &SystemParametersInfoW;
};

// The services the main window's document commands call.
DocumentServices& ActiveDocumentServices();

}  // namespace kavlor
