// Menu bars and accelerator tables built from one table of items.
#pragma once
#include <windows.h>

#include <span>

namespace kavlor {

struct MenuItemSpec {
    int level;               // 0 = menu bar, 1 = in a drop-down, 2 = in a submenu of it
    const char* name;        // the item's name, for finding it again
    const wchar_t* caption;  // "-" is a separator
    int id;                  // command id; 0 for items that only open a submenu
    UINT shortcutKey;        // virtual key of a shortcut (F5...), 0 for none
    const wchar_t* shortcutText;
    bool enabled;
};

// Builds the menu bar. Items of level n+1 following an item of level n form its submenu.
HMENU BuildMenuBar(std::span<const MenuItemSpec> items);
// Accelerator table for the items that have a shortcut key.
HACCEL BuildAccelerators(std::span<const MenuItemSpec> items);

}  // namespace kavlor
