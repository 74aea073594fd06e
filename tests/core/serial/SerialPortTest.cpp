#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/EventLogReader.h"
#include "core/config/Menus.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

std::vector<int> events(const fakes::TestApp& t) { return fakes::eventCodes(t.dir.read("monitor.err")); }

TEST(OpenSerialPort, AbsentPortShowsTheLanguagesBoxAndReportsEvents) {
  struct Case {
    const char* legend;
    std::uint8_t lang;
    char digit;
    const char* text;
    const char* caption;
    std::vector<int> events;
  } cases[] = {
      {"German takes the whole name",
       German,
       '2',
       "Fehler: Schnittstelle COM2 steht nicht zur Verf\xFCgung !",
       "serielle Schnittstelle",
       {1, 15}},
      {"English, port 5: no second event",
       English,
       '5',
       "Error: port COM 5 not available !",
       "COM port",
       {1}},
      {"French, port 1",
       French,
       '1',
       "Erreur: porte serielle COM 1 pas disponible !",
       "porte serielle",
       {1, 14}},
      {"Dutch, port 4", Dutch, '4', "Error: COM 4 not available !", "COM port", {1, 17}},
      {"Italian, port 3",
       Italian,
       '3',
       "Errore: porta seriale COM 3 non disponibile !",
       "porta seriale",
       {1, 16}},
      {"Spanish, port 8", Spanish, '8', "Error: COM 8 not available !", "COM port", {1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp t;
    t.app.settings.language = c.lang;
    t.app.settings.portDigit = c.digit;
    EXPECT_FALSE(openSerialPort(t.app, PortErrors::Show));
    EXPECT_FALSE(t.app.serial.open);
    ASSERT_EQ(t.windows.boxes.size(), 1u);
    EXPECT_EQ(t.windows.boxes[0].text, c.text);
    EXPECT_EQ(t.windows.boxes[0].caption, c.caption);
    EXPECT_EQ(t.windows.boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_EQ(events(t), c.events);
    EXPECT_EQ(t.app.serial.portName, std::string("COM") + c.digit);
  }
}

TEST(OpenSerialPort, QuietReopenShowsAndReportsNothing) {
  fakes::TestApp t;
  EXPECT_FALSE(openSerialPort(t.app, PortErrors::Quiet)) << "a failed open answers false, quiet or not";
  EXPECT_FALSE(t.app.serial.open);
  EXPECT_TRUE(t.windows.boxes.empty());
  EXPECT_EQ(t.dir.read("monitor.err"), "");
}

TEST(OpenSerialPort, EventsOnlyWhileTheProtocolIsOn) {
  fakes::TestApp t;
  t.app.settings.logEvents = 0;
  openSerialPort(t.app, PortErrors::Show);
  EXPECT_EQ(t.windows.boxes.size(), 1u);
  EXPECT_EQ(t.dir.read("monitor.err"), "");
}

TEST(OpenSerialPort, RefusedLineSettingsAreReportedButThePortStaysOpen) {
  fakes::TestApp t;
  t.ports.add("COM2")->configureFails = true;
  EXPECT_TRUE(openSerialPort(t.app, PortErrors::Show));
  EXPECT_TRUE(t.app.serial.open);
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::SetCommStateFailed}));
  EXPECT_TRUE(t.windows.boxes.empty());
}

TEST(ChangePort, ReselectingTheOpenPortReleasesItFirst) {
  fakes::TestApp t;
  t.ports.add("COM2");
  openSerialPort(t.app, PortErrors::Show);
  ASSERT_TRUE(t.app.serial.open);
  changePort(t.app, '2');
  EXPECT_TRUE(t.app.serial.open);
  EXPECT_EQ(t.ports.opens["COM2"], 2);
  EXPECT_TRUE(t.windows.boxes.empty());
}

TEST(ChangePort, StoresTheDigitAndOpensWithMessages) {
  fakes::TestApp t;
  t.app.settings.language = English;
  t.ports.add("COM2");
  openSerialPort(t.app, PortErrors::Show);
  changePort(t.app, '6');
  EXPECT_EQ(t.app.settings.portDigit, '6');
  EXPECT_EQ(t.app.serial.portName, "COM6");
  EXPECT_FALSE(t.app.serial.open);
  EXPECT_FALSE(t.app.serial.device) << "the old port was closed";
  ASSERT_EQ(t.windows.boxes.size(), 1u);
  EXPECT_EQ(t.windows.boxes[0].text, "Error: port COM 6 not available !");
  t.ports.add("COM3");
  changePort(t.app, '3');
  EXPECT_TRUE(t.app.serial.open);
}

TEST(ChangePort, MovesThePortCheckMark) {
  fakes::TestApp t;
  t.app.settings.language = English;
  buildMenuBar(t.app);
  changePort(t.app, '5'); // absent: the choice is kept and checked all the same
  for (std::size_t n = 0; n < kPortCommands.size(); ++n) {
    const auto* item = t.windows.menuBar.find(kPortCommands[n]);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->checked, n == 4) << "COM" << n + 1;
  }
}

// A file system whose free space the test chooses.
class SpaceFs final : public platform::FileSystem {
public:
  std::optional<std::uint64_t> free;
  std::unique_ptr<platform::File> open(const std::string& name, platform::FileAccess a,
                                       platform::OpenMode m) override {
    return inner.open(name, a, m);
  }
  bool copy(const std::string& from, const std::string& to) override { return inner.copy(from, to); }
  bool remove(const std::string& name) override { return inner.remove(name); }
  bool rename(const std::string& from, const std::string& to) override { return inner.rename(from, to); }
  bool linkReplacing(const std::string& from, const std::string& to) override {
    return inner.linkReplacing(from, to);
  }
  bool copyAccess(const std::string& from, const std::string& to) override {
    return inner.copyAccess(from, to);
  }
  std::string finalName(const std::string& name) override { return inner.finalName(name); }
  std::optional<std::uint64_t> freeBytes() override { return free; }
  fakes::NativeFileSystem inner;
  explicit SpaceFs(const std::string& dir) : inner(dir) {}
};

TEST(CheckFreeDiskSpace, TooLittleSpaceWarnsInTheLanguage) {
  struct Case {
    std::uint8_t lang;
    const char* text;
    const char* caption;
  } cases[] = {
      {German, "Warnung: nicht ausreichend Speicherplatz\noder kein Speicherndes Laufwerk !", "Fehler"},
      {English, "Warning: not enough free space on harddisk\nor device not recording / ready !", "Error"},
      {French, "Pas assez de place libre sur disque fixe\nou autre probleme !", "Erreur disque fixe"},
      {Dutch, "Not enough fre space on disk\nor device is not recording / ready !", "Error"},
      {Italian, "disco fisso pieno\no non funzionando/registrando !", "Errore disco"},
      {Spanish, "disco pleno\nor device is not recording / ready !", "Problema"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.lang));
    fakes::TempDir dir;
    SpaceFs fs(dir.path());
    fakes::FakeClock clock;
    fakes::FakeWindows windows;
    fakes::FakeSerialPorts ports;
    platform::GraphicsObjects graphics;
    AppContext app{Platform{clock, fs, windows, ports, graphics}};
    app.settings.language = c.lang;
    fs.free = 50000;
    EXPECT_EQ(checkFreeDiskSpace(app), 0);
    ASSERT_EQ(windows.boxes.size(), 1u);
    EXPECT_EQ(windows.boxes[0].text, c.text);
    EXPECT_EQ(windows.boxes[0].caption, c.caption);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{std::string("box:") + c.caption, "beep!"}));
    EXPECT_TRUE(fakes::hasEvent(dir.read("monitor.err"), Event::NotEnoughSpace));

    windows.boxes.clear();
    fs.free = 100000;
    EXPECT_EQ(checkFreeDiskSpace(app), 1) << "exactly the limit is enough";
    fs.free = 5'000'000'000ULL;
    EXPECT_EQ(checkFreeDiskSpace(app), 1) << "the whole 64-bit count counts";
    fs.free = std::nullopt;
    EXPECT_EQ(checkFreeDiskSpace(app), 0) << "unknown space: no message";
    EXPECT_TRUE(windows.boxes.empty());
  }
}

} // namespace
} // namespace baromon
