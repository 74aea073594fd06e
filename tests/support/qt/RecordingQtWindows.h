#pragma once

#include <string>
#include <vector>

#include "adapters/qt/QtFrontEnd.h"

namespace baromon::fakes {

// The Qt front end, keeping every box it was asked to show as "caption: text". The boxes
// appear and are waited for as usual unless `modalBoxes` is off, for tests that do not
// close them.
class RecordingQtWindows final : public qt::QtWindows {
public:
  void messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) override {
    shownBoxes.push_back(caption + ": " + text);
    if (modalBoxes) {
      QtWindows::messageBox(text, caption, icon);
    }
  }
  void ownerlessMessageBox(const std::string& text, const std::string& caption,
                           platform::BoxIcon icon) override {
    shownBoxes.push_back(caption + ": " + text);
    if (modalBoxes) {
      QtWindows::ownerlessMessageBox(text, caption, icon);
    }
  }

  std::vector<std::string> shownBoxes;
  bool modalBoxes = true;
};

} // namespace baromon::fakes
