#include "cli/CommandSupport.h"

#include <cstdlib>

#include "core/config/Settings.h"

namespace baromon::cli {

bool parseSize(const std::string& text, const SizeRange& range, int& width, int& height) {
  auto x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 >= text.size()) {
    return false;
  }
  char* end = nullptr;
  long w = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + x) {
    return false;
  }
  long h = std::strtol(text.c_str() + x + 1, &end, 10);
  if (*end != '\0' || w < range.minWidth || h < range.minHeight || w > range.maxWidth ||
      h > range.maxHeight) {
    return false;
  }
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

void loadSettingsOrDefaults(AppContext& app) {
  applyDefaultSettings(app.settings);
  bool present = app.platform.files.open("monitor.ini", platform::FileAccess::Read,
                                         platform::OpenMode::OpenExisting) != nullptr;
  if (present) {
    loadSettings(app);
  }
}

} // namespace baromon::cli
