#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/EventLogReader.h"
#include "core/program/WindowProcedure.h"
#include "core/config/Menus.h"
#include "core/program/AcquisitionDisplay.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/LogRecord.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using platform::WindowId;

const std::string kPxdr = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";

// One timer tick's acquisition as the window procedure runs it: the cycle, then the windows.
int tickAndShow(AppContext& app) {
  const TickOutcome outcome = acquisitionTick(app);
  showAcquisitionChanges(app, outcome.changes);
  return outcome.portReadable ? 0 : 1;
}

// The event numbers written to monitor.err, in order.
std::vector<int> events(const fakes::TestApp& t) { return fakes::eventCodes(t.dir.read("monitor.err")); }

// A monitor in KX mode on COM2 with a device present, at 10:03:00 UTC.
struct Acq : ::testing::Test {
  fakes::TestApp t;
  std::shared_ptr<fakes::FakeSerialDevice::Script> device;

  void SetUp() override {
    t.app.settings.dataMode = DataMode::Kx;
    t.app.settings.recordInterval = 300;
    t.app.settings.displayStep = 300;
    t.app.settings.language = English;
    t.app.settings.portDigit = '2';
    t.app.settings.logEvents = 1;
    t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    device = t.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(t.app, PortErrors::Show));
    ASSERT_TRUE(t.app.serial.open);
  }
  void feed(const std::string& text) { t.ports.feed("COM2", text); }
  int tick(const std::string& text = "") {
    feed(text);
    return tickAndShow(t.app);
  }
  void at(int hour, int minute, int second = 0) { t.clock.utc = {2026, 12, 7, hour, minute, second, 1}; }
  std::string log() const { return t.dir.read("monitor.txt"); }
  std::size_t records() const { return log().size() / 80; }
  LastDecodedRecord record(std::size_t i) const {
    LastDecodedRecord last;
    const std::string text = log();
    EXPECT_EQ(parseLogRecord(last, LogRecordMode::Decode, text.data() + i * 80), 1);
    return last;
  }
};

TEST_F(Acq, ALineSplitOverTwoTicksIsDecodedOnceOnTheTickOfItsLineFeed) {
  EXPECT_EQ(tick(kPxdr.substr(0, 20)), 0);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 0u);
  EXPECT_EQ(t.app.reading.pressure, 0);
  EXPECT_EQ(tick(kPxdr.substr(20)), 0);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 1u);
  EXPECT_TRUE(t.app.reading.valid);
  EXPECT_EQ(t.app.reading.pressure, 99860);
  EXPECT_EQ(t.app.acquisition.ticksSinceSentence, 0u);
  EXPECT_EQ(tick(), 0) << "nothing waiting";
  EXPECT_EQ(t.app.acquisition.sentenceCount, 1u);
}

// At 4800 Bd a $PXDR and its $WIXDR frames mostly arrive within one 200 ms tick.
TEST_F(Acq, EverySentenceOfATickIsALineOfItsOwn) {
  tick(kPxdr + "$WIXDR,C,21.5,C\r\n$WIXDR,U,12.6,V\r\n");
  EXPECT_EQ(t.app.acquisition.sentenceCount, 3u);
  EXPECT_EQ(t.app.reading.pressure, 99860);
  EXPECT_EQ(t.app.reading.temperature, 215) << "the frame behind the $PXDR is decoded";
  EXPECT_EQ(t.app.reading.voltage, 126u);
  EXPECT_FALSE(t.app.reading.valid) << "the last line of the tick was a $WIXDR";
  EXPECT_EQ(t.windows.titles[WindowId::Values], "NMEA link   3");

  // A tick that ends inside the second sentence: the first is decoded at once, the rest waits.
  tick("$PXDR,1001.00,52700,+00.5,+01.0\r\n$WIXDR,C,2");
  EXPECT_EQ(t.app.acquisition.sentenceCount, 4u);
  EXPECT_EQ(t.app.reading.pressure, 100100);
  EXPECT_EQ(t.app.acquisition.fillCount, 10u);
  tick("2.5,C\r\n");
  EXPECT_EQ(t.app.acquisition.sentenceCount, 5u);
  EXPECT_EQ(t.app.reading.temperature, 225);
  EXPECT_EQ(t.app.reading.pressure, 100100);
}

TEST_F(Acq, TwoSentencesOfABoundaryMinuteInOneTickWriteOneRecord) {
  at(10, 5, 0);
  tick(kPxdr + "$WIXDR,P,0.9986,B\r\n" + "$PXDR,0998.70,52690,+01.2,+03.5,-0300,0995.40\r\n");
  ASSERT_EQ(records(), 1u) << "one record per slot, from the first valid sentence";
  EXPECT_EQ(record(0).sample.pressure, 99860);
  EXPECT_EQ(t.app.reading.pressure, 99870);
  EXPECT_EQ(t.app.acquisition.sentencesAccepted, 2u);
}

TEST_F(Acq, NmeaModeRecordsEachSentenceOfATickOnItsOwn) {
  t.app.settings.dataMode = DataMode::Nmea;
  const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  const std::string mwv = "$WIMWV,214.8,R,0.1,K,A*28\r\n";
  tick(gga + "!AIVDM,1,1,,A,13aG\r\n" + mwv);
  EXPECT_EQ(t.app.acquisition.nmeaCount, 2u);
  EXPECT_EQ(std::string(t.app.nmea[0].data()), mwv);
  EXPECT_EQ(std::string(t.app.nmea[1].data()), gga);
  EXPECT_EQ(t.dir.read("nmea.txt"), gga + mwv);
}

TEST_F(Acq, FirstRecordAtTheFirstBoundaryAfterStartThenOnePerSlot) {
  tick(kPxdr); // 10:03
  EXPECT_EQ(records(), 0u);
  EXPECT_EQ(t.app.fiveMinute[0], 99860) << "the first valid sentence seeds the history";

  at(10, 5, 0);
  tick(kPxdr);
  ASSERT_EQ(records(), 1u);
  EXPECT_EQ(t.app.acquisition.lastSlot, fiveMinuteSlot({2026, 12, 7, 10, 5, 0, 1}));
  EXPECT_EQ(t.app.fiveMinute[0], 99860);
  EXPECT_EQ(t.app.fiveMinute[1], 99860) << "the seed moved one place";
  LastDecodedRecord r = record(0);
  EXPECT_EQ(r.counter, 1u);
  EXPECT_EQ(r.sample.hour, 10);
  EXPECT_EQ(r.sample.minute, 5);
  EXPECT_EQ(r.sample.pressure, 99860);
  EXPECT_EQ(r.sample.tendency1h, 12);
  EXPECT_EQ(r.sample.tendency3h, 35);

  at(10, 5, 40);
  tick(kPxdr);
  EXPECT_EQ(records(), 1u) << "same slot, no second record";

  at(10, 6, 0);
  tick(kPxdr);
  EXPECT_EQ(records(), 1u);

  at(10, 10, 1);
  tick(kPxdr);
  ASSERT_EQ(records(), 2u);
  EXPECT_EQ(record(1).counter, 2u);
  EXPECT_EQ(t.app.fiveMinute[2], 99860);
}

TEST_F(Acq, StartInsideABoundaryMinuteWritesAtOnce) {
  at(10, 5, 30);
  tick(kPxdr);
  EXPECT_EQ(records(), 1u);
}

// A slot is a date, an hour and a five-minute part of it: the same minute of another
// hour or day is a new boundary however long the sentences stayed away.
TEST_F(Acq, APauseOfAboutAnHourOrADayDoesNotCostTheNextRecord) {
  struct Case {
    const char* legend;
    platform::DateTime last, back;
  } cases[] = {
      {"55 minutes", {2026, 12, 7, 11, 40, 0, 1}, {2026, 12, 7, 12, 35, 0, 1}},
      {"58 minutes, back in its minute", {2026, 12, 7, 11, 40, 0, 1}, {2026, 12, 7, 12, 40, 0, 1}},
      {"exactly one hour", {2026, 12, 7, 10, 5, 0, 1}, {2026, 12, 7, 11, 5, 0, 1}},
      {"exactly one day", {2026, 12, 7, 10, 5, 0, 1}, {2026, 12, 8, 10, 5, 0, 2}},
      {"over midnight into the new year", {2026, 12, 31, 23, 55, 0, 4}, {2027, 1, 1, 23, 55, 0, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp u;
    u.app.settings.dataMode = DataMode::Kx;
    u.app.settings.recordInterval = 300;
    u.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(u.app, PortErrors::Show));
    auto sentenceAt = [&](const platform::DateTime& when) {
      u.clock.utc = when;
      u.ports.feed("COM2", kPxdr);
      tickAndShow(u.app);
    };
    sentenceAt(c.last);
    ASSERT_EQ(u.dir.read("monitor.txt").size(), 80u);
    sentenceAt(c.back);
    platform::DateTime boundary = c.back;
    boundary.minute = boundary.minute / 5 * 5;
    boundary.second = 0;
    if (boundary.minute != c.back.minute) {
      boundary.minute += 5; // back between boundaries: the next one is recorded
      EXPECT_EQ(u.dir.read("monitor.txt").size(), 80u);
      sentenceAt(boundary);
    }
    const std::string log = u.dir.read("monitor.txt");
    if (log.size() != 160u) {
      ADD_FAILURE() << "the first boundary after the pause was skipped";
      continue;
    }
    LastDecodedRecord r;
    ASSERT_EQ(parseLogRecord(r, LogRecordMode::Decode, log.data() + 80), 1);
    EXPECT_EQ(r.sample.day, boundary.day);
    EXPECT_EQ(r.sample.hour, boundary.hour);
    EXPECT_EQ(r.sample.minute, boundary.minute);
    sentenceAt({boundary.year, boundary.month, boundary.day, boundary.hour, boundary.minute, 40, 1});
    EXPECT_EQ(u.dir.read("monitor.txt").size(), 160u) << "still one record per slot";
  }
}

// A record whose append failed is written on a later tick, with or without a sentence
// and with the port given away, silently; the barogram then shows it.
TEST_F(Acq, ARecordHeldUpByALockedLogIsWrittenOnALaterTickWithoutAnotherEvent) {
  at(10, 5);
  tick(kPxdr);
  const std::string first = log();
  ASSERT_EQ(first.size(), 80u);
  at(10, 10);
  {
    auto holder = t.files.open("monitor.txt", platform::FileAccess::Read, platform::OpenMode::OpenExisting);
    ASSERT_TRUE(holder);
    tick(kPxdr);
    EXPECT_EQ(events(t), fakes::eventNumbers({Event::FileOpenFailed}));
    for (int i = 0; i < 10; ++i) {
      tick();
    }
    closeSerialPort(t.app); // a print job took the port meanwhile
    tick();
    EXPECT_EQ(events(t), fakes::eventNumbers({Event::FileOpenFailed})) << "a retry reports nothing";
  }
  t.app.history.fill(HistorySample{});
  t.windows.invalidated.clear();
  tick();
  ASSERT_EQ(records(), 2u);
  EXPECT_EQ(log().substr(0, 80), first);
  EXPECT_EQ(record(1).counter, 2u);
  EXPECT_EQ(record(1).sample.minute, 10);
  EXPECT_EQ(t.app.history[0].minute, 10) << "the history is reloaded once the record is in";
  EXPECT_NE(std::find(t.windows.invalidated.begin(), t.windows.invalidated.end(), WindowId::Main),
            t.windows.invalidated.end());
  tick();
  EXPECT_EQ(records(), 2u) << "written once";
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::FileOpenFailed}));
}

TEST_F(Acq, WhileTheBarographIsHeardTheBoundaryNeedsAValidPxdr) {
  at(10, 4, 50);
  tick("$PXDR,0998.50,52684,+01.2,+03.5\r\n");
  at(10, 5);
  tick("$WIXDR,P,0.9986,B\r\n");
  EXPECT_EQ(t.app.reading.pressure, 99860);
  EXPECT_EQ(records(), 0u);
  EXPECT_EQ(t.app.acquisition.lastSlot, kNoFiveMinuteSlot);
  tick("$PXDR,0998.60;52684,+01.2,+03.5\r\n"); // malformed
  EXPECT_EQ(records(), 0u);
  tick(kPxdr);
  EXPECT_EQ(records(), 1u);
}

TEST_F(Acq, NoRecordWithRecordingOffOrWithoutPressureButTheHistoryIsReloaded) {
  t.app.settings.recordInterval = 0;
  at(10, 5);
  t.windows.invalidated.clear();
  tick(kPxdr);
  EXPECT_EQ(records(), 0u);
  EXPECT_EQ(t.app.acquisition.recordCounter, 0u);
  EXPECT_EQ(t.app.acquisition.lastSlot, fiveMinuteSlot({2026, 12, 7, 10, 5, 0, 1}));
  EXPECT_NE(std::find(t.windows.invalidated.begin(), t.windows.invalidated.end(), WindowId::Main),
            t.windows.invalidated.end());

  fakes::TestApp u;
  u.app.settings.recordInterval = 300;
  u.app.settings.dataMode = DataMode::Kx;
  u.ports.add("COM2");
  openSerialPort(u.app, PortErrors::Show);
  u.clock.utc = {2026, 12, 7, 10, 5, 0, 1};
  u.ports.feed("COM2", "$PXDR,0000.00,52684,+01.2,+03.5\r\n");
  tickAndShow(u.app);
  EXPECT_TRUE(u.app.reading.valid);
  EXPECT_EQ(u.app.reading.pressure, 0);
  EXPECT_EQ(u.dir.read("monitor.txt").size(), 0u);
  EXPECT_EQ(u.app.acquisition.recordCounter, 0u);
}

TEST_F(Acq, CountersWrap) {
  t.app.acquisition.recordCounter = 999999;
  t.app.acquisition.sentenceCount = 999999;
  at(10, 5);
  tick(kPxdr);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 0u);
  EXPECT_EQ(t.app.acquisition.recordCounter, 1u);
  EXPECT_EQ(record(0).counter, 1u);
}

TEST_F(Acq, LiveTitlesInEveryLanguage) {
  struct Case {
    std::uint8_t lang;
    const char* title;
  } cases[] = {
      {German, "Dureridarovidozi   1 10:03 (UTC)  998.6 hPa +1.2 hPa/Std +3.5 hPa/3Std "},
      {English, "Air pressure monitor   1 10:03 (UTC)  998.6 hPa +1.2 hPa/hr +3.5 hPa/3hrs "},
      {French, "Moniteur pression atmospherique   1 10:03 (UTC)  998.6 hPa +1.2 hPa/hr +3.5 hPa/3hr "},
      {Dutch, "Duvozarezeroduva   1 UTC10:03  998.6 hPa +1.2 hPa/uur +3.5 hPa/3uur "},
      {Italian, "Pressione atmosferica   1 UTC10:03  998.6 hPa +1.2 hPa/ora +3.5 hPa/3ore "},
      {Spanish, "monitor pression atmosferica   1 UTC10:03  998.6 hPa +1.2 hPa/ora +3.5 hPa/3oras "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.lang));
    t.app.settings.language = c.lang;
    t.app.acquisition.sentenceCount = 0;
    tick(kPxdr);
    EXPECT_EQ(t.windows.titles[WindowId::Main], c.title);
    EXPECT_EQ(t.windows.titles[WindowId::Values], "NMEA link   1");
  }
}

TEST_F(Acq, VoltageAndTemperatureAppendices) {
  tick("$WIXDR,U,12.6,V\r\n");
  tick("$WIXDR,C,-3.2,C\r\n");
  tick(kPxdr);
  EXPECT_EQ(
      t.windows.titles[WindowId::Main],
      "Air pressure monitor   3 10:03 (UTC)  998.6 hPa +1.2 hPa/hr +3.5 hPa/3hrs U: 12.6V Temp: -3.2 C ");
  t.app.reading.temperature = -998;
  t.app.reading.voltage = 0;
  EXPECT_EQ(barographLiveTitle(t.app),
            "Air pressure monitor   3 10:03 (UTC)  998.6 hPa +1.2 hPa/hr +3.5 hPa/3hrs Temp: -99.8 C ");
}

TEST_F(Acq, ConverterStatisticsFollowEveryLineWithAConverterValue) {
  tick("$WIXDR,C,21.5,C\r\n");
  EXPECT_EQ(t.app.converter.history[0], 0u) << "no converter value yet";
  tick(kPxdr);
  tick("$WIXDR,C,21.5,C\r\n"); // repeats the last value
  EXPECT_EQ(t.app.converter.history[0], 52684u);
  EXPECT_EQ(t.app.converter.history[1], 52684u);
  EXPECT_EQ(t.app.converter.mean, 52684u);
  EXPECT_EQ(t.app.converter.variation, 0u);
}

TEST_F(Acq, LineErrorsSkipOneTickAndKeepTheBytes) {
  device->pendingErrors.framing = true;
  EXPECT_EQ(tick(kPxdr), 1);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 0u);
  EXPECT_EQ(tick(), 0);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 1u);
  EXPECT_EQ(t.app.reading.pressure, 99860);
}

TEST_F(Acq, ManyBytesWaitingAreReadAtMost512PerTickWithAWarning) {
  std::string burst;
  while (burst.size() < 600) {
    burst += kPxdr;
  }
  feed(burst); // 611 bytes
  tick();
  EXPECT_EQ(device->bytes.size(), burst.size() - 512);
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::ManyBytesWaiting}));
  EXPECT_EQ(t.app.acquisition.sentenceCount, 10u) << "the ten whole lines of 512 bytes";
  EXPECT_EQ(t.app.acquisition.fillCount, 512u - 470u) << "the eleventh waits for its line feed";
  tick();
  EXPECT_EQ(device->bytes.size(), 0u);
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::ManyBytesWaiting})) << "99 bytes: no warning";
  EXPECT_EQ(t.app.acquisition.sentenceCount, 13u);
  EXPECT_EQ(t.app.reading.pressure, 99860);
}

TEST_F(Acq, AFailedReadIsReportedAndStoresNothing) {
  feed(kPxdr);
  device->readFailures = 2;
  tick();
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::PortReadError, Event::PortReadError}))
      << "one event per failed read";
  EXPECT_EQ(t.app.acquisition.fillCount, kPxdr.size() - 2) << "the tick still made its count of reads";
  EXPECT_EQ(t.app.acquisition.sentenceCount, 0u);
  EXPECT_TRUE(t.app.serial.open) << "a failed read is no loss of the device";
  tick();
  EXPECT_EQ(t.app.acquisition.sentenceCount, 1u) << "the bytes left waiting end the line later";
  EXPECT_EQ(t.app.reading.pressure, 99860);
}

TEST_F(Acq, NothingHappensWithoutAnOpenPort) {
  closeSerialPort(t.app); // a print job holds the port
  EXPECT_TRUE(t.app.serial.open);
  EXPECT_EQ(tick(kPxdr), 1);
  t.app.serial.open = false;
  EXPECT_EQ(tick(), 1);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 0u);
  EXPECT_TRUE(t.windows.calls.empty());
  EXPECT_EQ(t.dir.read("monitor.err"), "");
}

TEST_F(Acq, OverlongLinesKeepTheirFirst1024BytesAndTheNextSentenceDecodes) {
  feed(std::string(10000, 'A'));
  for (int i = 0; i < 30; ++i) {
    tick();
    ASSERT_LE(t.app.acquisition.fillCount, 1024u);
  }
  EXPECT_EQ(t.app.acquisition.fillCount, 1024u);
  tick("\n");
  EXPECT_EQ(t.app.acquisition.fillCount, 0u);
  EXPECT_EQ(t.app.acquisition.sentenceCount, 1u);
  tick(kPxdr);
  EXPECT_TRUE(t.app.reading.valid);
  EXPECT_EQ(t.app.reading.pressure, 99860);

  // A long line that starts with a sentence is decoded from its first bytes.
  feed("$PXDR,1010.00,52684,+01.2,+03.5," + std::string(5000, '9') + "\r\n");
  while (!device->bytes.empty()) {
    tick();
  }
  EXPECT_EQ(t.app.acquisition.sentenceCount, 3u);
  EXPECT_EQ(t.app.reading.pressure, 101000);
}

TEST_F(Acq, RandomBytesNeverCrashAndTheNextGoodSentenceDecodes) {
  std::mt19937 random(4800);
  for (int round = 0; round < 200; ++round) {
    std::string junk;
    const int size = static_cast<int>(random() % 700);
    for (int i = 0; i < size; ++i) {
      junk.push_back(static_cast<char>(random() % 256));
    }
    if (round % 3 == 0) {
      junk += "\n";
    }
    tick(junk);
    ASSERT_LE(t.app.acquisition.fillCount, 1024u);
    const auto& r = t.app.reading;
    ASSERT_GE(r.tendency1h, -999);
    ASSERT_LE(r.tendency1h, 999);
    ASSERT_LE(r.voltage, 999u);
    ASSERT_GE(r.temperature, -999);
    ASSERT_LE(r.temperature, 999);
  }
  tick("\n");
  while (!device->bytes.empty()) {
    tick();
  }
  tick(kPxdr);
  EXPECT_TRUE(t.app.reading.valid);
  EXPECT_EQ(t.app.reading.pressure, 99860);
  EXPECT_EQ(t.app.reading.adValue, 52684u);
}

TEST_F(Acq, NmeaModeRecordsSentencesStartingWithDollar) {
  t.app.settings.dataMode = DataMode::Nmea;
  const std::string rmc = "$GPRMC,100300.00,A,4807.038,N,01131.000,E,002.1,045.0,071226,,,A*5C\r\n";
  tick(rmc);
  EXPECT_EQ(std::string(t.app.nmea[0].data()), rmc);
  EXPECT_EQ(t.dir.read("nmea.txt"), rmc);
  EXPECT_EQ(t.windows.titles[WindowId::Main], "1 NMEA - Datens\xE4tze ");
  EXPECT_EQ(t.app.acquisition.sentenceCount, 0u) << "KX counters stay";
  EXPECT_EQ(t.app.acquisition.ticksSinceSentence, 1000u);

  tick("!AIVDM,1,1,,A,13aG\r\n");
  EXPECT_EQ(t.app.acquisition.nmeaCount, 1u) << "a line not starting with $ is dropped";
  EXPECT_EQ(t.dir.read("nmea.txt"), rmc);

  const std::string longLine = "$" + std::string(199, 'X') + "\r\n";
  tick(longLine);
  EXPECT_EQ(std::string(t.app.nmea[0].data()), longLine.substr(0, 126)) << "the table row is cut";
  EXPECT_EQ(std::string(t.app.nmea[1].data()), rmc);
  EXPECT_EQ(t.dir.read("nmea.txt"), rmc + longLine) << "the file gets the whole sentence";
  EXPECT_EQ(t.windows.titles[WindowId::Main], "2 NMEA - Datens\xE4tze ");
}

TEST_F(Acq, NmeaTableKeepsEightyTwoRows) {
  t.app.settings.dataMode = DataMode::Nmea;
  for (int i = 0; i < 100; ++i) {
    tick("$GP" + std::to_string(i) + "\r\n");
  }
  EXPECT_EQ(std::string(t.app.nmea[0].data()), "$GP99\r\n");
  EXPECT_EQ(std::string(t.app.nmea[81].data()), "$GP18\r\n");
  EXPECT_EQ(t.app.nmea.size(), 82u) << "no row beyond the ones kept";
}

// The lifetime totals behind the headless end-of-run report: one per line taken out of
// the buffer, one per line that was used (a valid $PXDR, or a recorded NMEA sentence).
TEST_F(Acq, LineTotalsCountEveryLineOnceAndTheUsedOnesApart) {
  const std::string rmc = "$GPRMC,100300.00,A,4807.038,N,01131.000,E,002.1,045.0,071226,,,A*5C\r\n";
  struct Case {
    const char* legend;
    std::uint8_t mode; // 1 KX, 0 NMEA
    std::vector<std::string> ticks;
    std::uint64_t lines, accepted;
  } cases[] = {
      {"a sentence split over two ticks is one line", 1, {kPxdr.substr(0, 20), kPxdr.substr(20)}, 1, 1},
      {"no line feed yet: nothing taken out", 1, {kPxdr.substr(0, kPxdr.size() - 1)}, 0, 0},
      {"two sentences in one tick are two lines", 1, {kPxdr + "$WIXDR,C,21.5,C\r\n"}, 2, 1},
      {"a tick ending inside the second sentence: the first is a line at once",
       1,
       {kPxdr + "$WIXDR,C,2"},
       1,
       1},
      {"and the second when its line feed comes", 1, {kPxdr + "$WIXDR,C,2", "1.5,C\r\n"}, 2, 1},
      {"$WIXDR frames beside the barograph's $PXDR are received but not valid",
       1,
       {kPxdr, "$WIXDR,P,0.9986,B\r\n", "$WIXDR,U,12.6,V\r\n"},
       3,
       1},
      {"a lone $WIXDR pressure is another monitor's barometer", 1, {"$WIXDR,P,0.9986,B,Barometer\r\n"}, 1, 1},
      {"garbage, lower-case p and a malformed $PXDR",
       1,
       {"garbage\r\n", "$pXDR,0998.60,52684,+01.2,+03.5\r\n", "$PXDR,0998.60;52684,+01.2,+03.5\r\n"},
       3,
       0},
      {"a bare line feed is a line", 1, {"\n"}, 1, 0},
      {"a valid sentence with pressure 0 is still valid", 1, {"$PXDR,0000.00,52684,+01.2,+03.5\r\n"}, 1, 1},
      {"an overlong line read over several ticks is one line", 1, {std::string(3000, 'A') + "\r\n"}, 1, 0},
      {"NMEA: sentences recorded, others dropped but received",
       0,
       {rmc, "!AIVDM,1,1,,A,13aG\r\n", "$GP1\r\n", "\n"},
       4,
       2},
      {"NMEA: a sentence split over two ticks", 0, {rmc.substr(0, 30), rmc.substr(30)}, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp u;
    u.app.settings.dataMode = c.mode == 1 ? DataMode::Kx : DataMode::Nmea;
    u.app.settings.recordInterval = 300;
    u.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    auto port = u.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(u.app, PortErrors::Show));
    for (const auto& text : c.ticks) {
      u.ports.feed("COM2", text);
      do {
        tickAndShow(u.app);
      } while (!port->bytes.empty());
    }
    EXPECT_EQ(u.app.acquisition.linesReceived, c.lines);
    EXPECT_EQ(u.app.acquisition.sentencesAccepted, c.accepted);
  }
}

// A refused sentence is a line like any other (counted, the titles follow) but it is
// no reading: the values stay, no boundary comes of it, and it is counted apart.
TEST_F(Acq, RefusedSentencesKeepTheReadingAndAreCountedApart) {
  tick(kPxdr);
  at(10, 5, 0);
  const char* refused[] = {
      "$PXDR,0A98.60,52684,+01.2,+03.5,-0300,0995.40\r\n", // one flipped bit: 1500 hPa if read
      "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40*00\r\n",
      "$WIXDR,P,1003.4,H\r\n",
  };
  for (const char* line : refused) {
    SCOPED_TRACE(line);
    tick(line);
    EXPECT_FALSE(t.app.reading.valid);
    EXPECT_EQ(t.app.reading.pressure, 99860);
  }
  tick("$GPRMC,100500.00,A,4807.038,N,01131.000,E,002.1,045.0,071226,,,A*00\r\n"); // not a device sentence
  tick("noise\r\n");
  EXPECT_EQ(records(), 0u) << "no boundary from a refused $PXDR";
  EXPECT_EQ(t.app.acquisition.sentenceCount, 6u);
  EXPECT_EQ(t.app.acquisition.sentencesRejected, 3u);
  EXPECT_EQ(t.app.acquisition.sentencesAccepted, 1u);
  EXPECT_EQ(t.app.fiveMinute[0], 99860);

  tick(kPxdr);
  EXPECT_EQ(records(), 1u) << "the next good $PXDR of the minute is the boundary";
  EXPECT_EQ(record(0).sample.pressure, 99860);

  t.app.settings.dataMode = DataMode::Nmea; // NMEA mode records what comes, checksum or not
  tick("$PXDR,0A98.60,52684,+01.2,+03.5*00\r\n");
  EXPECT_EQ(t.dir.read("nmea.txt"), "$PXDR,0A98.60,52684,+01.2,+03.5*00\r\n");
  EXPECT_EQ(t.app.acquisition.sentencesRejected, 3u);
}

TEST_F(Acq, LineTotalsSurviveWrapsModeChangesAndThirtyTwoBits) {
  auto& acq = t.app.acquisition;
  acq.sentenceCount = 999999;
  acq.linesReceived = 0xFFFFFFFFu;
  acq.sentencesAccepted = 0xFFFFFFFFu;
  tick(kPxdr);
  EXPECT_EQ(acq.sentenceCount, 0u) << "the on-screen counter wraps";
  EXPECT_EQ(acq.linesReceived, 0x100000000u);
  EXPECT_EQ(acq.sentencesAccepted, 0x100000000u);

  onCommand(t.app, WindowId::Main, cmd::NmeaMode); // resets the mode's own counters, not the totals
  tick("$GPGGA,1\r\n");
  EXPECT_EQ(acq.nmeaCount, 1u);
  EXPECT_EQ(acq.linesReceived, 0x100000001u);
  EXPECT_EQ(acq.sentencesAccepted, 0x100000001u);
}

// The device vanishes (adapter unplugged): one event, then a quiet reopen every 5 s.
TEST_F(Acq, AVanishedDeviceIsClosedReportedOnceAndReopenedQuietly) {
  tick(kPxdr);
  device->hungUp = true;
  t.ports.present.erase("COM2"); // gone from the system as well
  EXPECT_EQ(tick(), 1);
  EXPECT_FALSE(t.app.serial.open);
  EXPECT_FALSE(t.app.serial.device);
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::PortReadError}));
  const int opensAfterLoss = t.ports.opens["COM2"];

  for (int i = 0; i < 24; ++i) { // 4.8 s of ticks
    tick();
    if (i % 5 == 4) {
      t.clock.advanceSeconds(1);
    }
  }
  EXPECT_EQ(t.ports.opens["COM2"], opensAfterLoss) << "no attempt before 5 s";
  t.clock.advanceSeconds(1);
  tick();
  EXPECT_EQ(t.ports.opens["COM2"], opensAfterLoss + 1);
  for (int i = 0; i < 100; ++i) { // 20 s of ticks: four more attempts
    if (i % 5 == 0) {
      t.clock.advanceSeconds(1);
    }
    tick();
  }
  EXPECT_EQ(t.ports.opens["COM2"], opensAfterLoss + 5);
  EXPECT_EQ(events(t), fakes::eventNumbers({Event::PortReadError})) << "the attempts are quiet";
  EXPECT_TRUE(t.windows.boxes.empty());

  auto back = t.ports.add("COM2"); // plugged in again
  t.clock.advanceSeconds(5);
  tick();
  EXPECT_TRUE(t.app.serial.open);
  EXPECT_FALSE(t.app.serial.lost);
  t.ports.feed("COM2", "$PXDR,1002.00,52684,+01.2,+03.5\r\n");
  tick();
  EXPECT_EQ(t.app.reading.pressure, 100200) << "recording resumes without the user";
}

TEST_F(Acq, ALineCutByTheLossIsNotGluedToTheNextOne) {
  tick("$PXDR,0998.60,52684,+0");
  device->hungUp = true;
  tick();
  device->hungUp = false;
  t.clock.advanceSeconds(5);
  tick();
  ASSERT_TRUE(t.app.serial.open);
  tick("$PXDR,1002.00,52684,+01.2,+03.5\r\n");
  EXPECT_TRUE(t.app.reading.valid);
  EXPECT_EQ(t.app.reading.pressure, 100200);
}

TEST_F(Acq, APortThatFailedItsFirstOpenIsNotRetried) {
  fakes::TestApp u;
  u.app.settings.portDigit = '3';
  EXPECT_FALSE(openSerialPort(u.app, PortErrors::Show));
  u.ports.add("COM3");
  for (int i = 0; i < 50; ++i) {
    tickAndShow(u.app);
    u.clock.advanceSeconds(1);
  }
  EXPECT_EQ(u.ports.opens["COM3"], 1);
  EXPECT_FALSE(u.app.serial.open);
}

} // namespace
} // namespace baromon
