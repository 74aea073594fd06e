#include <gtest/gtest.h>

#include <string>

#include "core/program/ChildWindows.h"
#include "core/program/WindowProcedure.h"
#include "core/config/Menus.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;
using platform::ShowMode;
using platform::WindowId;

TEST(CorrectionInput, TextToHundredths) {
  struct Case {
    const char* legend;
    std::string text;
    int hk;
  };
  const Case cases[] = {
      {"decimal comma", "1,25", 125},
      {"decimal point", "1.25", 125},
      {"negative with comma", "-0,5", -50},
      {"single precision keeps 2,35 at 235", "2,35", 235},
      {"negative hundredths", "-0.07", -7},
      {"1.5 hundredths truncated", "0.015", 1},
      {"-1.5 hundredths truncated toward zero", "-0.015", -1},
      {"empty entry", "", 0},
      {"no number", "abc", 0},
      {"text after the number is ignored", "1.5 hPa", 150},
      {"leading blanks and plus sign", "  +3", 300},
      {"point without leading digit", ".5", 50},
      {"exponent", "1.5e1", 1500},
      {"a dangling exponent stops the number", "2e", 200},
      {"two signs are no number", "--5", 0},
      {"hexadecimal is not taken", "0x10", 0},
      {"infinity is not a number here", "inf", 0},
      {"nan is not a number here", "nan", 0},
      {"largest value the settings file holds", "999.99", 99999},
      {"clamped above", "1000", 99999},
      {"clamped below", "-1000", -99999},
      {"huge exponent clamped", "1e9", 99999},
      {"beyond double clamped", "1e400", 99999},
      {"beyond double negative clamped", "-1e400", -99999},
      {"tiny exponent is zero", "1e-400", 0},
      {"only the first 19 characters count", "00000000000000000012", 100},
      {"comma only in the first 19 count", "0000000000000000001,5", 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(correctionFromText(c.text), c.hk) << '"' << c.text << '"';
  }
}

TEST(CorrectionInput, FieldTextFromCorrection) {
  EXPECT_EQ(correctionText(12345), "123.45");
  EXPECT_EQ(correctionText(-250), "-2.50");
  EXPECT_EQ(correctionText(0), "0.00");
  EXPECT_EQ(correctionText(-99999), "-999.99");
  EXPECT_EQ(correctionText(7), "0.07");
}

TEST(CorrectionPopup, PositionOnTheScreen) {
  struct Case {
    const char* legend;
    platform::ScreenSize screen;
    int x, y;
  };
  const Case cases[] = {
      {"centred on a usual screen", {1280, 994}, 500, 427},
      {"small screen: no shift", {200, 120}, 100, 60},
      {"exactly at the limits: no shift", {300, 160}, 150, 80},
      {"one past the limits", {302, 162}, 11, 11},
      {"odd sizes truncate", {1281, 995}, 500, 427},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const auto p = correctionPopupPosition(c.screen);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
  }
}

struct ChildWindows : ::testing::Test {
  TestApp t;
  AppContext& app = t.app;
  ChildWindows() { app.shell.screen = {1280, 994}; }
};

TEST_F(ChildWindows, CorrectionDialogRoundTrip) {
  app.settings.heightCorrection = 12345;
  openCorrectionDialog(app);
  ASSERT_TRUE(t.windows.windowExists(WindowId::Correction));
  const auto& popup = t.windows.windows.at(WindowId::Correction);
  EXPECT_EQ(popup.wanted.x, 500);
  EXPECT_EQ(popup.wanted.y, 427);
  EXPECT_EQ(popup.wanted.width, 280);
  EXPECT_EQ(popup.wanted.height, 140);
  EXPECT_EQ(popup.wanted.style, platform::WindowStyle::Popup);
  EXPECT_EQ(popup.wanted.windowClass, platform::WindowClass::LightGrey);
  EXPECT_EQ(popup.lastShow, ShowMode::ShowNormal);
  EXPECT_EQ(popup.editLimit, 20u);
  EXPECT_EQ(popup.editRect.x, 20);
  EXPECT_EQ(popup.editRect.y, 40);
  EXPECT_EQ(popup.buttonRect.y, 80);
  EXPECT_EQ(popup.buttonId, cmd::CorrectionOk);
  EXPECT_EQ(popup.buttonText, "OK");
  EXPECT_EQ(popup.editText, "123.45");

  t.windows.userTypes(WindowId::Correction, "2,35");
  onCommand(app, WindowId::Correction, cmd::CorrectionOk);
  EXPECT_EQ(app.settings.heightCorrection, 235);
  EXPECT_FALSE(t.windows.windowExists(WindowId::Correction));
  EXPECT_FALSE(t.files.open("monitor.ini", platform::FileAccess::Read, platform::OpenMode::OpenExisting))
      << "nothing is written at once";
}

TEST_F(ChildWindows, SecondCorrectionCommandRaisesTheOpenPopup) {
  openCorrectionDialog(app);
  t.windows.userTypes(WindowId::Correction, "4,5");
  openCorrectionDialog(app);
  EXPECT_EQ(t.windows.created.size(), 1u);
  EXPECT_EQ(t.windows.raised, std::vector<WindowId>{WindowId::Correction});
  EXPECT_EQ(t.windows.windows.at(WindowId::Correction).editText, "4,5") << "the typing is kept";
}

TEST_F(ChildWindows, PopupThatCannotBeCreatedLeavesNothingBehind) {
  t.windows.failCreate.insert(WindowId::Correction);
  openCorrectionDialog(app);
  EXPECT_FALSE(t.windows.windowExists(WindowId::Correction));
  EXPECT_EQ(t.dir.read("monitor.err"), "") << "not reported";
}

TEST_F(ChildWindows, ValuesAndConverterWindowsFollowTheirOptions) {
  app.settings.valuesWindow = 0;
  app.settings.converterWindow = 1;
  EXPECT_EQ(openValuesWindow(app), 1);
  EXPECT_EQ(openConverterWindow(app), 1);
  const auto& values = t.windows.windows.at(WindowId::Values);
  EXPECT_FALSE(values.visible) << "exists but hidden while DW is off";
  EXPECT_EQ(values.wanted.title, "NMEA link inactive");
  EXPECT_EQ(values.wanted.x, 10);
  EXPECT_EQ(values.wanted.width, 550);
  EXPECT_EQ(values.wanted.height, 450);
  const auto& converter = t.windows.windows.at(WindowId::Converter);
  EXPECT_TRUE(converter.visible);
  EXPECT_EQ(converter.wanted.title, "AD");
  EXPECT_EQ(converter.wanted.x, 60);
  EXPECT_EQ(converter.wanted.width, 300);
  EXPECT_EQ(converter.wanted.height, 200);
}

TEST_F(ChildWindows, DiurnalCommandTwiceRaisesTheOpenWindow) {
  EXPECT_EQ(openDiurnalWindow(app), 1);
  const auto& w = t.windows.windows.at(WindowId::Diurnal);
  EXPECT_EQ(w.wanted.windowClass, platform::WindowClass::White);
  EXPECT_EQ(w.wanted.x, 110);
  EXPECT_EQ(w.wanted.width, 500);
  EXPECT_EQ(w.wanted.height, 250);
  EXPECT_EQ(w.wanted.title, std::string(kDiurnalWindowTitle));
  EXPECT_EQ(openDiurnalWindow(app), 1);
  EXPECT_EQ(t.windows.created.size(), 1u);
  EXPECT_EQ(t.windows.raised.size(), 1u);
  // Closed by the user, the next command makes a fresh one.
  t.windows.userCloses(WindowId::Diurnal);
  EXPECT_EQ(openDiurnalWindow(app), 1);
  EXPECT_EQ(t.windows.created.size(), 2u);
}

} // namespace
} // namespace baromon
