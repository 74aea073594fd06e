#pragma once

#include <string>
#include <vector>

namespace baromon::platform {

// One entry of a popup: a command item or a separator. Texts are Windows-1252 and
// may carry "&" before the access key.
struct MenuItem {
  int id = 0; // command identifier; 0 for a separator
  std::string text;
  bool separator = false;
  bool checked = false;
  bool enabled = true;
};

struct MenuPopup {
  std::string title;
  std::vector<MenuItem> items;
};

// The menu bar as the front end shows it, popups left to right.
struct MenuBar {
  std::vector<MenuPopup> popups;

  // The command item with this identifier, or nullptr when the bar has none.
  MenuItem* find(int id) {
    for (auto& popup : popups) {
      for (auto& item : popup.items) {
        if (!item.separator && item.id == id) {
          return &item;
        }
      }
    }
    return nullptr;
  }
  const MenuItem* find(int id) const { return const_cast<MenuBar*>(this)->find(id); }
};

} // namespace baromon::platform
