#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/program/AcquisitionDisplay.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using platform::WindowId;

const std::string kPxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";

// Window services that fail the test on any call: the acquisition cycle must run
// without touching a window, menu, loop or program. Message boxes and beeps are its
// own (a port error, the fast-fall alarm) and go to the recording fake.
class RefusingWindows : public platform::Windows,
                        public platform::Menus,
                        public platform::MainLoop,
                        public platform::Programs {
public:
  platform::ScreenSize screenSize() override { return refuse("screenSize"), platform::ScreenSize{}; }
  bool registerWindowClasses() override { return refuse("registerWindowClasses"); }
  bool createWindow(WindowId, const platform::WindowSpec&) override { return refuse("createWindow"); }
  void showWindow(WindowId, platform::ShowMode) override { refuse("showWindow"); }
  void updateWindow(WindowId) override { refuse("updateWindow"); }
  void destroyWindow(WindowId) override { refuse("destroyWindow"); }
  bool windowExists(WindowId) override { return refuse("windowExists"); }
  void raiseWindow(WindowId) override { refuse("raiseWindow"); }
  platform::ScreenSize windowOuterSize(WindowId) override {
    return refuse("windowOuterSize"), platform::ScreenSize{};
  }
  void setTitle(WindowId, const std::string& title) override { refuse("setTitle " + title); }
  void invalidate(WindowId) override { refuse("invalidate"); }
  bool createEditField(WindowId, const platform::ControlRect&, std::size_t) override {
    return refuse("createEditField");
  }
  bool createButton(WindowId, const platform::ControlRect&, const std::string&, int) override {
    return refuse("createButton");
  }
  void setEditText(WindowId, const std::string&) override { refuse("setEditText"); }
  std::string editText(WindowId, std::size_t) override { return refuse("editText"), std::string{}; }
  void setMenuBar(const platform::MenuBar&) override { refuse("setMenuBar"); }
  void checkMenuItem(int, bool) override { refuse("checkMenuItem"); }
  void enableMenuItem(int, bool) override { refuse("enableMenuItem"); }
  void startTimer(int) override { refuse("startTimer"); }
  void stopTimer() override { refuse("stopTimer"); }
  void postQuit(int) override { refuse("postQuit"); }
  void setScrollPosition(int) override { refuse("setScrollPosition"); }
  bool startProgram(const std::string&) override { return refuse("startProgram"); }

private:
  static bool refuse(const std::string& call) {
    ADD_FAILURE() << "the acquisition cycle called the window services: " << call;
    return false;
  }
};

// A monitor whose only window-side service is the box fake, in KX mode on COM2.
struct Headless : ::testing::Test {
  fakes::TempDir dir;
  fakes::NativeFileSystem files{dir.path()};
  fakes::FakeClock clock;
  fakes::FakeWindows boxes;
  RefusingWindows refusing;
  fakes::FakeSerialPorts ports;
  fakes::FailingGraphicsObjects graphics;
  AppContext app{Platform{clock, files,
                          platform::WindowServices{boxes, refusing, refusing, refusing, refusing}, ports,
                          graphics}};

  void SetUp() override {
    app.settings.dataMode = DataMode::Kx;
    app.settings.recordInterval = 300;
    app.settings.displayStep = 300;
    app.settings.portDigit = '2';
    clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    ports.add("COM2");
    ASSERT_TRUE(openSerialPort(app, PortErrors::Show));
  }
  TickOutcome tick(const std::string& text) {
    ports.feed("COM2", text);
    return acquisitionTick(app);
  }
};

TEST_F(Headless, AReadingIsDecodedAndReportedWithoutAWindow) {
  const TickOutcome outcome = tick(kPxdr);
  EXPECT_TRUE(outcome.portReadable);
  EXPECT_TRUE(outcome.changes.barographLine);
  EXPECT_FALSE(outcome.changes.sentenceList);
  EXPECT_FALSE(outcome.changes.logGrew) << "10:03 is no boundary";
  EXPECT_EQ(app.reading.pressure, 99860);
  EXPECT_EQ(app.acquisition.sentenceCount, 1u);
  EXPECT_EQ(dir.read("monitor.txt"), "");

  const TickOutcome quiet = tick("");
  EXPECT_TRUE(quiet.portReadable);
  EXPECT_FALSE(quiet.changes.any()) << "nothing arrived, nothing to show";
}

TEST_F(Headless, ARecordAtABoundaryIsWrittenAndAsksForTheReload) {
  clock.utc = {2026, 12, 7, 10, 5, 0, 1};
  const TickOutcome outcome = tick(kPxdr);
  EXPECT_TRUE(outcome.changes.barographLine);
  EXPECT_TRUE(outcome.changes.logGrew);
  EXPECT_EQ(dir.read("monitor.txt").size(), 80u);
  EXPECT_EQ(app.fiveMinute[0], 99860);
  EXPECT_EQ(app.history[0].minute, 0) << "the history is the window procedure's to reload";
}

TEST_F(Headless, AnNmeaSentenceJoinsTheListWithoutAWindow) {
  app.settings.dataMode = DataMode::Nmea;
  const std::string rmc = "$GPRMC,100300.00,A,4807.038,N,01131.000,E,002.1,045.0,071226,,,A*5C\r\n";
  const TickOutcome outcome = tick(rmc);
  EXPECT_TRUE(outcome.changes.sentenceList);
  EXPECT_FALSE(outcome.changes.barographLine);
  EXPECT_FALSE(outcome.changes.logGrew);
  EXPECT_EQ(std::string(app.nmea[0].data()), rmc);
  EXPECT_EQ(dir.read("nmea.txt"), rmc);
  EXPECT_FALSE(tick("!AIVDM,1,1,,A,13aG\r\n").changes.any()) << "a dropped line changes nothing shown";
}

TEST_F(Headless, AClosedPortIsReportedAsUnreadable) {
  closeSerialPort(app);
  const TickOutcome outcome = tick(kPxdr);
  EXPECT_FALSE(outcome.portReadable);
  EXPECT_FALSE(outcome.changes.any());
}

// What the timer handler does with the changes, in the order a processed line always had.
TEST(AcquisitionDisplay, ShowsTitlesAndPanelsBeforeTheReloadedBarogram) {
  fakes::TestApp t;
  t.app.settings.language = English;
  t.app.acquisition.sentenceCount = 3;
  AcquisitionChanges changes;
  changes.barographLine = true;
  changes.logGrew = true;
  showAcquisitionChanges(t.app, changes);
  // No log yet: the reload finds nothing to draw, the main window is redrawn all the same.
  EXPECT_EQ(t.windows.calls,
            (std::vector<std::string>{"title", "title", "invalidate", "invalidate", "invalidate"}));
  EXPECT_EQ(t.windows.invalidated,
            (std::vector<WindowId>{WindowId::Values, WindowId::Converter, WindowId::Main}));
  EXPECT_EQ(t.windows.titles[WindowId::Values], "NMEA link   3");

  t.windows.calls.clear();
  t.windows.invalidated.clear();
  t.app.acquisition.nmeaCount = 7;
  showAcquisitionChanges(t.app, AcquisitionChanges{false, true, false});
  EXPECT_EQ(t.windows.calls, (std::vector<std::string>{"invalidate", "title"}));
  EXPECT_EQ(t.windows.titles[WindowId::Main], "7 NMEA - Datens\xE4tze ");

  t.windows.calls.clear();
  showAcquisitionChanges(t.app, AcquisitionChanges{});
  EXPECT_TRUE(t.windows.calls.empty());
}

} // namespace
} // namespace baromon
