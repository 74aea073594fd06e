#pragma once

#include <string>
#include <vector>

#include "adapters/qt/QtFrontEnd.h"

namespace baromon::fakes {

// The Qt front end, keeping every box it was asked to show as "caption: text" (the boxes
// appear as usual; tests that do not close them also turn off `modalBoxes`).
class RecordingQtWindows final : public qt::QtWindows {
public:
  void messageBox(const std::string& text, const std::string& caption, platform::BoxIcon icon) override {
    shownBoxes.push_back(caption + ": " + text);
    QtWindows::messageBox(text, caption, icon);
  }
  void ownerlessMessageBox(const std::string& text, const std::string& caption,
                           platform::BoxIcon icon) override {
    shownBoxes.push_back(caption + ": " + text);
    QtWindows::ownerlessMessageBox(text, caption, icon);
  }

  std::vector<std::string> shownBoxes;
};

} // namespace baromon::fakes
