#include <gtest/gtest.h>

#include "core/program/WindowProcedure.h"
#include "core/config/Menus.h"
#include "core/print/PrintJobs.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;
using platform::WindowId;

// The information boxes and the printing error box have no owner window, so the
// main window stays usable while they are open; the other boxes belong to it.
TEST(BoxOwners, InformationAndPrintingBoxesHaveNoOwner) {
  struct Case {
    const char* legend;
    int command;
    bool owned;
  } cases[] = {
      {"help", cmd::Help, false},
      {"about", cmd::About, false},
      {"cable", cmd::Cable, false},
      {"data formats", cmd::DataFormats, false},
      {"spectrum program missing", cmd::Spectrum, true},
      {"log check", cmd::CheckLog, true},
      {"barogram print cancelled", cmd::PrintBarogram, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    TestApp t;
    t.windows.programFound = false;
    onCommand(t.app, WindowId::Main, c.command);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].owned, c.owned);
  }
}

} // namespace
} // namespace baromon
