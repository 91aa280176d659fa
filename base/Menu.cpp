// Menu bar and accelerators from a table.
#include "base/Menu.h"

#include <string>
#include <vector>

namespace kavlor {

namespace {

// Appends items[pos..] of `level` to `menu`; returns the index of the first item not taken.
size_t AppendLevel(HMENU menu, std::span<const MenuItemSpec> items, size_t pos, int level)
{
    while (pos < items.size() && items[pos].level == level) {
        const MenuItemSpec& item = items[pos];
        ++pos;
        if (pos < items.size() && items[pos].level > level) {
            HMENU sub = CreatePopupMenu();
            pos = AppendLevel(sub, items, pos, level + 1);
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), item.caption);
            continue;
        }
        if (std::wstring(item.caption) == L"-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring text = item.caption;
        if (item.shortcutText) {
            text += L'\t';
            text += item.shortcutText;
        }
        UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED);
        AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.id), text.c_str());
    }
    return pos;
}

}  // namespace

HMENU BuildMenuBar(std::span<const MenuItemSpec> items)
{
    HMENU bar = CreateMenu();
    AppendLevel(bar, items, 0, 0);
    return bar;
}

HACCEL BuildAccelerators(std::span<const MenuItemSpec> items)
{
    std::vector<ACCEL> table;
    for (const MenuItemSpec& item : items) {
        if (item.shortcutKey != 0) {
            table.push_back(ACCEL{FVIRTKEY, static_cast<WORD>(item.shortcutKey), static_cast<WORD>(item.id)});
        }
    }
    return table.empty() ? nullptr : CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

}  // namespace kavlor
