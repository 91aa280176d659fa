// What the running process holds, counted from inside it: GDI and USER objects, kernel
// handles and private memory. Wine's GetGuiResources and GetProcessHandleCount read 0 or
// wrong, so where they do the objects are counted by the room left for new ones, and the
// handles one by one.
#pragma once
#include <cstdint>
#include <string>

namespace kavlor::test {

struct Census {
    long gdiObjects = 0;
    long userObjects = 0;  // under Wine: the whole session's, which this test alone changes
    long kernelHandles = 0;
    int64_t privateBytes = 0;
};

Census TakeCensus();

}  // namespace kavlor::test
