// Counting the process's objects from inside it.
#include "tests/soak/Census_win.h"

#include <windows.h>

#include <vector>

namespace kavlor::test {
namespace {

// The sizes of Wine's handle tables (GDI: per process; USER: per session), where the probes
// are used; the probes stop there.
constexpr long kGdiTable = 65504;
constexpr long kUserTable = 32744;

// Objects in use, as the table's size less the number of new objects that still fit. The
// probe's own objects are released before it returns.
template <typename Create, typename Destroy>
long InUseByHeadroom(long table, Create create, Destroy destroy)
{
    // One buffer for every probe, so that probing does not move the memory figure.
    static std::vector<void*> made(static_cast<size_t>(table));
    long count = 0;
    while (count < table) {
        void* object = create();
        if (!object) {
            break;
        }
        made[static_cast<size_t>(count++)] = object;
    }
    for (long i = 0; i < count; ++i) {
        destroy(made[static_cast<size_t>(i)]);
    }
    return table - count;
}

long GdiObjects()
{
    if (long counted = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))) {
        return counted;
    }
    return InUseByHeadroom(
        kGdiTable, [] { return static_cast<void*>(CreateSolidBrush(RGB(1, 2, 3))); },
        [](void* brush) { DeleteObject(static_cast<HBRUSH>(brush)); });
}

long UserObjects()
{
    if (long counted = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))) {
        return counted;
    }
    return InUseByHeadroom(
        kUserTable, [] { return static_cast<void*>(CreateMenu()); },
        [](void* menu) { DestroyMenu(static_cast<HMENU>(menu)); });
}

// Kernel handles are small multiples of four, handed out lowest first: count the valid ones
// until a long run of free values.
long KernelHandles()
{
    long valid = 0;
    uintptr_t lastValid = 0;
    for (uintptr_t value = 4; value < lastValid + 4 * 4096 || value < 4 * 4096; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++valid;
            lastValid = value;
        }
    }
    return valid;
}

// Committed memory of this process alone (no mapped files or images).
int64_t PrivateBytes()
{
    int64_t bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            bytes += static_cast<int64_t>(region.RegionSize);
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) {
            break;
        }
        at = next;
    }
    return bytes;
}

}  // namespace

Census TakeCensus()
{
    Census census;
    // Memory first: the other counts allocate nothing that stays, but they touch the heap.
    census.privateBytes = PrivateBytes();
    census.kernelHandles = KernelHandles();
    census.gdiObjects = GdiObjects();
    census.userObjects = UserObjects();
    return census;
}

}  // namespace kavlor::test
