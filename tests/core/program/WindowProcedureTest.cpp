#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/EventLogReader.h"
#include "support/LogBuilder.h"
#include "support/TestApp.h"
#include "core/program/ChildWindows.h"
#include "core/program/InfoTexts.h"
#include "core/program/WindowProcedure.h"
#include "core/config/Menus.h"
#include "support/RecordingCanvas.h"

namespace baromon {
namespace {

using fakes::eventCodes;
using fakes::eventNumbers;
using fakes::TestApp;
using platform::WindowId;
using testlog::logRecords;

TEST(Scroll, PositionArithmetic) {
  struct Case {
    const char* legend;
    std::int32_t offset, count;
    int position;
  };
  const Case cases[] = {
      {"newest end", 1, 1000, 100},
      {"73 of 1000 is 7.3 percent", 73, 1000, 93},
      {"half way", 500, 1000, 50},
      {"exactly the whole log", 1000, 1000, 0},
      {"past the oldest record", 5000, 1000, 0},
      {"empty log shows the newest end", 73, 0, 100},
      {"one record", 1, 1, 0},
      {"single precision: 7 of 100 gives 93", 7, 100, 93},
      {"one third truncates", 1, 3, 67},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(scrollPositionFor(c.offset, c.count), c.position);
  }
}

struct Procedure : ::testing::Test {
  TestApp t;
  AppContext& app = t.app;
  Procedure() {
    app.settings.dataMode = DataMode::Kx;
    app.settings.displayStep = 300;
    app.settings.recordInterval = 300;
    app.settings.drawTendency1h = app.settings.drawTendency3h = app.settings.drawVariation = 1;
    app.shell.screen = {1280, 994};
    t.windows.createWindow(WindowId::Main, {});
    buildMenuBar(app);
    updateMenuChecks(app);
  }
  bool checked(int id) {
    const auto* item = t.windows.menuBar.find(id);
    return item != nullptr && item->checked;
  }
  bool enabled(int id) {
    const auto* item = t.windows.menuBar.find(id);
    return item != nullptr && item->enabled;
  }
  bool mainInvalidated() {
    for (auto w : t.windows.invalidated) {
      if (w == WindowId::Main) {
        return true;
      }
    }
    return false;
  }
};

TEST_F(Procedure, ScrollCodesMoveTheOffsetAndReloadTheHistory) {
  t.dir.write("monitor.txt", logRecords(1000));
  struct Step {
    const char* legend;
    int code;
    std::int32_t offset;
    int position;
  };
  const Step steps[] = {
      {"left arrow: six hours back", LineLeft, 73, 93},
      {"right arrow: back to the end", LineRight, 1, 100},
      {"right arrow at the end stays", LineRight, 1, 100},
      {"left page: a day back", PageLeft, 289, 72},
      {"left arrow again", LineLeft, 361, 64},
      {"right page", PageRight, 73, 93},
      {"right page not below 1", PageRight, 1, 100},
      {"thumb drag and other codes do nothing", 5, 1, 100},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.legend);
    t.windows.invalidated.clear();
    onHorizontalScroll(app, s.code);
    EXPECT_EQ(app.view.scrollOffset, s.offset);
    EXPECT_EQ(app.view.scrollPosition, s.position);
    if (s.code <= PageRight) {
      EXPECT_EQ(t.windows.scrollPosition, s.position);
      EXPECT_EQ(app.view.recordCount, 1000) << "the history was reloaded";
    }
  }
  // The offset has no upper limit: far back the position stays at 0.
  for (int i = 0; i < 10; ++i) {
    onHorizontalScroll(app, PageLeft);
  }
  EXPECT_EQ(app.view.scrollOffset, 1 + 10 * 288);
  EXPECT_EQ(t.windows.scrollPosition, 0);
}

TEST_F(Procedure, TimerShowsTheInactiveLinkAndHonoursThePause) {
  t.windows.createWindow(WindowId::Values, {});
  t.windows.setTitle(WindowId::Values, "1013.25 hPa");
  onTimer(app);
  EXPECT_EQ(app.acquisition.ticksSinceSentence, 100u);
  EXPECT_EQ(t.windows.titles[WindowId::Values], "NMEA link inactive");

  // While paused the port is not read: the bytes stay waiting.
  t.ports.add("COM2");
  app.settings.portDigit = '2';
  t.ports.feed("COM2", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
  app.serial.device = t.ports.open("COM2");
  app.serial.open = app.serial.device != nullptr;
  app.acquisition.acquisitionPaused = true;
  onTimer(app);
  EXPECT_FALSE(t.ports.present["COM2"]->bytes.empty());
  app.acquisition.acquisitionPaused = false;
  onTimer(app);
  EXPECT_TRUE(t.ports.present["COM2"]->bytes.empty());
  EXPECT_EQ(app.reading.pressure, 99860);
  EXPECT_EQ(app.acquisition.ticksSinceSentence, 0u) << "a KX line resets the count";
}

TEST_F(Procedure, ToggleCommandsFlipTheirOptionAndRepaint) {
  struct Case {
    const char* legend;
    int id;
    std::function<int()> option;
  };
  const Case cases[] = {
      {"1 h curve", cmd::ToggleT1, [&] { return app.settings.drawTendency1h; }},
      {"3 h curve", cmd::ToggleT3, [&] { return app.settings.drawTendency3h; }},
      {"variation", cmd::ToggleVar, [&] { return app.settings.drawVariation; }},
      {"variation bars", cmd::ToggleDks, [&] { return int(app.settings.variationBars); }},
      {"paper look", cmd::ToggleDp, [&] { return int(app.settings.paperLook); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const int before = c.option();
    t.windows.invalidated.clear();
    onCommand(app, WindowId::Main, c.id);
    EXPECT_EQ(c.option(), before == 0 ? 1 : 0);
    EXPECT_EQ(checked(c.id), before == 0);
    EXPECT_TRUE(mainInvalidated());
    onCommand(app, WindowId::Main, c.id);
    EXPECT_EQ(c.option(), before == 0 ? 0 : 1);
    EXPECT_EQ(checked(c.id), before != 0);
  }
  // Beep and event log toggle without a repaint.
  t.windows.invalidated.clear();
  onCommand(app, WindowId::Main, cmd::ToggleSig);
  onCommand(app, WindowId::Main, cmd::ToggleErr);
  EXPECT_EQ(app.settings.beepOnFastFall, 1);
  EXPECT_EQ(app.settings.logEvents, 0);
  EXPECT_TRUE(checked(cmd::ToggleSig));
  EXPECT_FALSE(checked(cmd::ToggleErr));
  EXPECT_FALSE(mainInvalidated());
}

TEST_F(Procedure, StepCommandsSwitchRecordingOn) {
  onCommand(app, WindowId::Main, cmd::RecordOff);
  EXPECT_EQ(app.settings.recordInterval, 0);
  EXPECT_TRUE(checked(cmd::RecordOff));
  struct Case {
    int id;
    unsigned show;
  };
  for (const Case c :
       {Case{cmd::Step15, 900}, Case{cmd::Step30, 1800}, Case{cmd::Step10, 600}, Case{cmd::Step5, 300}}) {
    SCOPED_TRACE(c.id);
    app.settings.recordInterval = 0;
    onCommand(app, WindowId::Main, c.id);
    EXPECT_EQ(app.settings.displayStep, c.show);
    EXPECT_EQ(app.settings.recordInterval, 300);
    EXPECT_TRUE(checked(c.id));
    EXPECT_TRUE(checked(cmd::RecordOn));
    EXPECT_FALSE(checked(cmd::RecordOff));
  }
  onCommand(app, WindowId::Main, cmd::RecordOff);
  onCommand(app, WindowId::Main, cmd::RecordOn);
  EXPECT_EQ(app.settings.recordInterval, 300);
}

TEST_F(Procedure, ModeCommandsRestartTheRecordCounter) {
  app.acquisition.recordCounter = 41;
  app.nmea[0][0] = '$';
  onCommand(app, WindowId::Main, cmd::NmeaMode);
  EXPECT_EQ(app.settings.dataMode, DataMode::Nmea);
  EXPECT_EQ(app.acquisition.recordCounter, 0u);
  EXPECT_EQ(app.nmea[0][0], 0);
  EXPECT_TRUE(checked(cmd::NmeaMode));
  EXPECT_FALSE(checked(cmd::KxMode));

  app.acquisition.recordCounter = 7;
  app.history[0].day = 3;
  t.dir.write("monitor.txt", logRecords(10));
  onCommand(app, WindowId::Main, cmd::KxMode);
  EXPECT_EQ(app.settings.dataMode, DataMode::Kx);
  EXPECT_EQ(app.acquisition.recordCounter, 0u);
  EXPECT_TRUE(checked(cmd::KxMode));
  EXPECT_EQ(app.view.recordCount, 10) << "the history was reloaded";
}

TEST_F(Procedure, DeleteCommands) {
  t.dir.write("monitor.txt", logRecords(3));
  t.dir.write("nmea.txt", "$GPGGA\r\n");
  app.history[5].day = 1;
  app.nmea[3][0] = '$';
  app.recording.pending.push_back(LogRecord{}); // held up by a failed append: part of the erased log
  t.windows.invalidated.clear();
  onCommand(app, WindowId::Main, cmd::DeleteLog);
  EXPECT_FALSE(t.dir.exists("monitor.txt"));
  EXPECT_EQ(app.history[5].day, 0);
  EXPECT_TRUE(app.recording.pending.empty());
  onTimer(app);
  EXPECT_FALSE(t.dir.exists("monitor.txt"));
  EXPECT_TRUE(t.dir.exists("nmea.txt"));
  EXPECT_FALSE(mainInvalidated()) << "the picture stays until the next repaint";
  onCommand(app, WindowId::Main, cmd::DeleteNmea);
  EXPECT_FALSE(t.dir.exists("nmea.txt"));
  EXPECT_EQ(app.nmea[3][0], 0);
  // A second delete finds no file; the event is written all the same.
  onCommand(app, WindowId::Main, cmd::DeleteLog);
  EXPECT_EQ(eventCodes(t.dir.read("monitor.err")), eventNumbers({Event::LogErased, Event::LogErased}));
  EXPECT_TRUE(t.windows.boxes.empty());
}

TEST_F(Procedure, WindowCommandsAndTheCloseBox) {
  app.settings.valuesWindow = 0;
  openValuesWindow(app);
  onCommand(app, WindowId::Main, cmd::ValuesWindow);
  EXPECT_EQ(app.settings.valuesWindow, 1);
  EXPECT_TRUE(t.windows.visible(WindowId::Values));
  EXPECT_TRUE(checked(cmd::ValuesWindow));
  // The close box destroys the window but leaves the option and its mark on.
  t.windows.userCloses(WindowId::Values);
  EXPECT_EQ(app.settings.valuesWindow, 1);
  EXPECT_TRUE(checked(cmd::ValuesWindow));
  onCommand(app, WindowId::Main, cmd::ValuesWindow);
  EXPECT_EQ(app.settings.valuesWindow, 0);
  EXPECT_FALSE(t.windows.windowExists(WindowId::Values));
  onCommand(app, WindowId::Main, cmd::ValuesWindow);
  EXPECT_TRUE(t.windows.visible(WindowId::Values));

  app.settings.converterWindow = 1;
  openConverterWindow(app);
  onCommand(app, WindowId::Main, cmd::ConverterWindow);
  EXPECT_EQ(app.settings.converterWindow, 0);
  EXPECT_FALSE(t.windows.windowExists(WindowId::Converter));
  EXPECT_FALSE(checked(cmd::ConverterWindow));

  onCommand(app, WindowId::Main, cmd::DiurnalWindow);
  EXPECT_TRUE(t.windows.visible(WindowId::Diurnal));
}

TEST_F(Procedure, ExitOnlyFromTheMainWindow) {
  onCommand(app, WindowId::Correction, cmd::Exit);
  EXPECT_TRUE(t.windows.quits.empty());
  onCommand(app, WindowId::Main, cmd::Exit);
  EXPECT_EQ(t.windows.quits, std::vector<int>{0});
  onMainWindowDestroyed(app);
  EXPECT_EQ(t.windows.quits, (std::vector<int>{0, 0}));
}

TEST_F(Procedure, SpectrumProgram) {
  onCommand(app, WindowId::Main, cmd::Spectrum);
  EXPECT_EQ(t.windows.programs, std::vector<std::string>{"dft.exe"});
  EXPECT_TRUE(t.windows.boxes.empty());
  t.windows.programFound = false;
  onCommand(app, WindowId::Main, cmd::Spectrum);
  ASSERT_EQ(t.windows.boxes.size(), 1u);
  EXPECT_EQ(t.windows.boxes[0].text, "program dft.exe not found");
  EXPECT_EQ(t.windows.boxes[0].caption, "Error");
  EXPECT_EQ(t.windows.boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_EQ(t.windows.invalidated.back(), WindowId::Main);
}

TEST_F(Procedure, LanguageChangeKeepsMarksAndGreyedPorts) {
  t.ports.add("COM2");
  probePorts(app);
  app.settings.beepOnFastFall = 1;
  app.view.pressureUnit = PressureUnit::InchHg;
  updateMenuChecks(app);
  onCommand(app, WindowId::Main, cmd::LangEnglish);
  EXPECT_EQ(app.settings.language, 1);
  EXPECT_EQ(t.windows.menuBar.popups[0].title, "&File");
  EXPECT_TRUE(checked(cmd::LangEnglish));
  EXPECT_FALSE(checked(cmd::LangGerman));
  EXPECT_TRUE(checked(cmd::ToggleSig));
  EXPECT_TRUE(checked(cmd::UnitInchHg));
  EXPECT_TRUE(checked(cmd::Com2));
  EXPECT_TRUE(enabled(cmd::Com2));
  EXPECT_FALSE(enabled(cmd::Com1));
  EXPECT_FALSE(enabled(cmd::LangDutch));
  EXPECT_TRUE(mainInvalidated());

  onCommand(app, WindowId::Main, cmd::LangFrench);
  EXPECT_EQ(t.windows.menuBar.find(cmd::UnitHpa), nullptr);
  onCommand(app, WindowId::Main, cmd::UnitHpa); // still dispatched, nothing to mark
  EXPECT_EQ(app.view.pressureUnit, PressureUnit::Hpa);
}

TEST_F(Procedure, ScaleAndUnitCommands) {
  onCommand(app, WindowId::Main, cmd::ScaleLow);
  EXPECT_EQ(app.settings.lowScale, 1);
  EXPECT_TRUE(checked(cmd::ScaleLow));
  EXPECT_FALSE(checked(cmd::ScaleNormal));
  onCommand(app, WindowId::Main, cmd::ScaleNormal);
  EXPECT_EQ(app.settings.lowScale, 0);
  onCommand(app, WindowId::Main, cmd::UnitInchHg);
  EXPECT_EQ(app.view.pressureUnit, PressureUnit::InchHg);
  EXPECT_TRUE(checked(cmd::UnitInchHg));
}

TEST_F(Procedure, InformationBoxesByLanguage) {
  struct Case {
    int lang;
    int id;
    const char* caption;
    const char* needle;
  };
  const Case cases[] = {
      {0, cmd::Help, "Hilfen zu diesem Programm", "monitor.txt"},
      {1, cmd::Help, "Help", "4800 Bd"},
      {3, cmd::Help, "Help", "Ben\xF6tigt"},
      {5, cmd::Help, "Ayuda", "Ben\xF6tigt"},
      {4, cmd::Cable, "Cavo di collegamento", "RS-232"},
      {5, cmd::Cable, "Anschlusskabel", "Optokoppler"},
      {2, cmd::DataFormats, "Formats des donnees", "$PXDR"},
      {1, cmd::DataFormats, "Data formats", "$WIXDR"},
      {1, cmd::About, "About", kProgramVersion},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    app.settings.language = static_cast<std::uint8_t>(c.lang);
    t.windows.boxes.clear();
    onCommand(app, WindowId::Main, c.id);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].caption, c.caption);
    EXPECT_EQ(t.windows.boxes[0].icon, platform::BoxIcon::Information);
    EXPECT_NE(t.windows.boxes[0].text.find(c.needle), std::string::npos);
    EXPECT_EQ(t.windows.boxes[0].text.find("%s"), std::string::npos);
  }
}

TEST_F(Procedure, PortCommandReopensAndMovesTheMark) {
  t.ports.add("COM5");
  onCommand(app, WindowId::Main, cmd::Com5);
  EXPECT_EQ(app.settings.portDigit, '5');
  EXPECT_TRUE(app.serial.open);
  EXPECT_TRUE(checked(cmd::Com5));
  EXPECT_FALSE(checked(cmd::Com2));
}

TEST_F(Procedure, PaintGoesToTheWindowsPainter) {
  // Each window's painter draws something of its own; the NMEA list draws the table rows.
  for (auto id :
       {WindowId::Main, WindowId::Values, WindowId::Converter, WindowId::Diurnal, WindowId::Correction}) {
    fakes::RecordingCanvas canvas(t.graphics, {550, 450});
    paintWindow(app, id, canvas);
    EXPECT_FALSE(canvas.ops.empty()) << static_cast<int>(id);
  }
}

} // namespace
} // namespace baromon
