#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/program/WindowProcedure.h"
#include "core/serial/Acquisition.h"
#include "core/serial/Decoders.h"
#include "core/serial/Sentences.h"
#include "core/serial/SerialPort.h"
#include "core/serial/ServedSentences.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

struct RecordingOutlet final : platform::SentenceOutlet {
  std::vector<std::string> sent;
  int polls = 0;
  void poll() override { ++polls; }
  void send(const std::string& line) override { sent.push_back(line); }
};

struct Served : ::testing::Test {
  fakes::TestApp t;
  RecordingOutlet outlet;

  void SetUp() override {
    t.app.platform.nmeaOutlet = &outlet;
    t.app.settings.dataMode = DataMode::Kx;
    t.app.settings.portDigit = '2';
    t.clock.utc = {2026, 12, 7, 10, 3, 0, 1};
    t.ports.add("COM2");
    ASSERT_TRUE(openSerialPort(t.app, PortErrors::Show));
  }
  void line(const std::string& text) {
    t.ports.feed("COM2", text);
    onTimer(t.app);
  }
};

TEST(ServedSentence, BarWithFiveDecimalsAndItsChecksum) {
  EXPECT_EQ(servedPressureSentence(99860), "$WIXDR,P,0.99860,B,Barometer*37\r\n");
  EXPECT_EQ(servedPressureSentence(101325), "$WIXDR,P,1.01325,B,Barometer*3D\r\n");
  EXPECT_EQ(servedPressureSentence(150000), "$WIXDR,P,1.50000,B,Barometer*3D\r\n");
  EXPECT_EQ(servedPressureSentence(7), "$WIXDR,P,0.00007,B,Barometer*3E\r\n");
}

// A monitor that reads another one's served pressure over the network checks its checksum.
TEST(ServedSentence, AnotherMonitorDecodesItWithItsChecksum) {
  for (const std::int32_t pressure : {99860, 101325, 150000, 7}) {
    SCOPED_TRACE(pressure);
    const std::string line = servedPressureSentence(pressure);
    CurrentReading r;
    const SentenceEffect effect = decodeSentence(r, line.data(), line.size(), 0);
    EXPECT_FALSE(effect.rejected);
    EXPECT_EQ(r.pressure, pressure);
  }
}

TEST(ServedSentence, PressureInBarAndInchesTemperatureAndVoltageWhenKnown) {
  CurrentReading r;
  r.pressure = 99860;
  r.temperature = 215;
  r.voltage = 126;
  EXPECT_EQ(servedSentences(r), (std::vector<std::string>{
                                    "$WIXDR,P,0.99860,B,Barometer*37\r\n",
                                    withNmeaChecksum("WIMDA,29.4886,I,0.99860,B,21.5,C,,C,,,,C,,T,,M,,N,,M"),
                                    withNmeaChecksum("WIXDR,C,21.5,C,AirTemp"),
                                    withNmeaChecksum("WIXDR,U,12.6,V,Battery"),
                                }));
  r.pressure = 101325;
  r.temperature = -32;
  r.voltage = 0;
  EXPECT_EQ(servedSentences(r), (std::vector<std::string>{
                                    servedPressureSentence(101325),
                                    withNmeaChecksum("WIMDA,29.9213,I,1.01325,B,-3.2,C,,C,,,,C,,T,,M,,N,,M"),
                                    withNmeaChecksum("WIXDR,C,-3.2,C,AirTemp"),
                                }));
  r.temperature = -999; // none received
  r.voltage = 5;
  EXPECT_EQ(servedSentences(r), (std::vector<std::string>{
                                    servedPressureSentence(101325),
                                    withNmeaChecksum("WIMDA,29.9213,I,1.01325,B,,C,,C,,,,C,,T,,M,,N,,M"),
                                    withNmeaChecksum("WIXDR,U,0.5,V,Battery"),
                                }));
}

// What one monitor serves, another reads back to the same values.
TEST(ServedSentence, AnotherMonitorReadsBackEveryValue) {
  for (const std::int32_t temperature : {215, -32, 0, -5, 999, -998}) {
    SCOPED_TRACE(temperature);
    CurrentReading served;
    served.pressure = 100123;
    served.temperature = temperature;
    served.voltage = 138;
    CurrentReading r;
    for (const std::string& line : servedSentences(served)) {
      const SentenceEffect effect = decodeSentence(r, line.data(), line.size(), 0);
      EXPECT_FALSE(effect.rejected) << line;
      if (effect.other.pressure) {
        EXPECT_EQ(*effect.other.pressure, served.pressure) << line;
      }
      if (effect.other.temperature) {
        EXPECT_EQ(*effect.other.temperature, served.temperature) << line;
      }
    }
    EXPECT_EQ(r.pressure, served.pressure);
    EXPECT_EQ(r.temperature, served.temperature);
    EXPECT_EQ(r.voltage, served.voltage);
  }
}

TEST_F(Served, AnotherBarometersPressureIsServedToo) {
  line(withNmeaChecksum("IIMMB,29.9213,I,1.0132,B"));
  line(withNmeaChecksum("IIMTA,4.5,C"));
  t.clock.advanceSeconds(1);
  line(withNmeaChecksum("IIMMB,29.9213,I,1.0133,B"));
  ASSERT_EQ(outlet.sent.size(), 5u) << "pressure and MDA, then the temperature as well";
  EXPECT_EQ(outlet.sent[0], servedPressureSentence(101320));
  EXPECT_EQ(outlet.sent[2], servedPressureSentence(101330));
  EXPECT_EQ(outlet.sent[3], withNmeaChecksum("WIMDA,29.9227,I,1.01330,B,4.5,C,,C,,,,C,,T,,M,,N,,M"));
  EXPECT_EQ(outlet.sent[4], withNmeaChecksum("WIXDR,C,4.5,C,AirTemp"));
}

TEST_F(Served, EachDecodedPressureOnceASecondWithTheCorrectionIncluded) {
  t.app.settings.heightCorrection = -250;
  line("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
  line("$WIXDR,P,0.9986,B\r\n"); // the same second: not again
  line("$WIXDR,C,21.5,C\r\n");   // no pressure
  t.clock.advanceSeconds(1);
  line("$WIXDR,C,21.5,C\r\n"); // still no pressure in this second
  line("$WIXDR,P,0.9990,B\r\n");
  t.clock.advanceSeconds(1);
  line("$GPGLL,5400.000,N,01000.000,E,101010,A,A*6C\r\n");
  ASSERT_EQ(outlet.sent.size(), 5u) << "pressure and MDA, then temperature as well";
  EXPECT_EQ(outlet.sent[0], servedPressureSentence(99610));
  EXPECT_EQ(outlet.sent[2], servedPressureSentence(99650));
  EXPECT_EQ(outlet.sent[4], withNmeaChecksum("WIXDR,C,21.5,C,AirTemp"));
  EXPECT_EQ(outlet.polls, 6) << "the outlet is looked after on every tick";
}

TEST_F(Served, NmeaModePassesEveryRecordedSentenceOnUnchanged) {
  t.app.settings.dataMode = DataMode::Nmea;
  const std::string longLine = "$GPXTE," + std::string(200, '1') + "\r\n";
  line("$GPRMC,101010,A,5400.000,N,01000.000,E,0.0,0.0,071226,,,A*6C\r\n");
  line("!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26\r\n"); // not recorded, not passed on
  line(longLine);
  ASSERT_EQ(outlet.sent.size(), 2u);
  EXPECT_EQ(outlet.sent[0], "$GPRMC,101010,A,5400.000,N,01000.000,E,0.0,0.0,071226,,,A*6C\r\n");
  EXPECT_EQ(outlet.sent[1], longLine) << "whole, though the table keeps 126 bytes";
}

TEST_F(Served, WithoutAnOutletNothingChanges) {
  t.app.platform.nmeaOutlet = nullptr;
  line("$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n");
  EXPECT_EQ(t.app.acquisition.sentencesAccepted, 1u);
}

} // namespace
} // namespace baromon
