#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/serial/Decoders.h"
#include "core/serial/Sentences.h"

namespace baromon {
namespace {

struct OtherCase {
  const char* legend;
  std::string line;
  std::optional<std::int32_t> pressure;
  std::optional<std::int32_t> temperature;
};

TEST(OtherBarometer, EveryKindAndTalkerWithItsUnits) {
  const OtherCase cases[] = {
      {"a weather station's MDA: bar field and air temperature",
       withNmeaChecksum("IIMDA,29.9213,I,1.0132,B,21.5,C,14.0,C,,,,C,,T,,M,,N,,M"), 101320, 215},
      {"MDA without temperature", withNmeaChecksum("WIMDA,29.4889,I,0.99860,B,,C,,C,,,,C,,T,,M,,N,,M"), 99860,
       std::nullopt},
      {"MDA with only inches: no pressure read", withNmeaChecksum("IIMDA,29.92,I,,B,,C,,C,,,,C,,T,,M,,N,,M"),
       std::nullopt, std::nullopt},
      {"MMB", withNmeaChecksum("IIMMB,29.9213,I,1.0132,B"), 101320, std::nullopt},
      {"MMB, more decimals than hundredths are dropped", "$YXMMB,,I,1.013259,B\r\n", 101325, std::nullopt},
      {"XDR in pascals", withNmeaChecksum("YXXDR,P,101325,P,Barometer"), 101325, std::nullopt},
      {"XDR in bar, lower-case unit, no name", "$IIXDR,P,0.9986,b,\r\n", 99860, std::nullopt},
      {"XDR with temperature and pressure in one sentence",
       withNmeaChecksum("IIXDR,C,-3.2,C,AirTemp,P,1.0132,B,Barometer"), 101320, -32},
      {"XDR names Signal K gives", withNmeaChecksum("SKXDR,P,101400,P,ENV_ATMOS_P,C,4.1,C,ENV_OUTAIR_T"),
       101400, 41},
      {"an engine's oil pressure is not the air's", withNmeaChecksum("IIXDR,P,4.5,B,OIL#0"), std::nullopt,
       std::nullopt},
      {"an engine's temperature is not the air's", withNmeaChecksum("IIXDR,C,85.0,C,ENGINE#0"), std::nullopt,
       std::nullopt},
      {"humidity and wind are not read", withNmeaChecksum("WIXDR,H,55.0,P,Humidity"), std::nullopt,
       std::nullopt},
      {"MTA", withNmeaChecksum("IIMTA,-12.5,C"), std::nullopt, -125},
      {"MTA tenths truncated, clamped at 99.9", "$IIMTA,120.56,C\r\n", std::nullopt, 999},
      {"a pressure above 1500 hPa is clamped", "$IIMMB,,I,2.0,B\r\n", 150000, std::nullopt},
      {"a huge pressure is clamped, not wrapped", "$IIMMB,,I,99999999999999999999,B\r\n", 150000,
       std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const OtherBarometer o = readOtherBarometer(c.line);
    EXPECT_TRUE(o.recognised);
    EXPECT_FALSE(o.rejected);
    EXPECT_EQ(o.pressure, c.pressure);
    EXPECT_EQ(o.temperature, c.temperature);
  }
}

TEST(OtherBarometer, DamagedFieldsRefuseTheWholeSentence) {
  const char* damaged[] = {
      "$IIMDA,29.92,I,1.0x32,B,21.5,C,,C,,,,C,,T,,M,,N,,M\r\n",  // a letter among the digits
      "$IIMDA,29.92,I,1.0132,B,2.1.5,C,,C,,,,C,,T,,M,,N,,M\r\n", // two points
      "$IIMDA,29.92,I,1.0132,H,21.5,C\r\n",                      // not bar
      "$IIMDA,29.92,I,1.0132,B,21.5,F\r\n",                      // not Celsius
      "$IIMMB,29.92,I,1.0132\r\n",                               // the unit missing
      "$IIMMB,29.92,I,-1.0132,B\r\n",                            // a pressure below nothing
      "$IIMMB,29.92,I,.,B\r\n",                                  // no digit
      "$IIXDR,P,1013.2,H,Barometer\r\n",                         // hPa is neither bar nor pascal
      "$IIXDR,C,21.5,K,AirTemp\r\n",                             // kelvin
      "$IIXDR,C,+-2,C,AirTemp\r\n",                              // two signs
      "$IIMTA,21.5\r\n",                                         // no unit
  };
  for (const char* line : damaged) {
    SCOPED_TRACE(line);
    const OtherBarometer o = readOtherBarometer(line);
    EXPECT_TRUE(o.recognised);
    EXPECT_TRUE(o.rejected);
    EXPECT_FALSE(o.pressure);
    EXPECT_FALSE(o.temperature);
  }
}

TEST(OtherBarometer, DecodedBesideTheBarographWithoutTouchingItsReading) {
  CurrentReading r;
  r.pressure = 101000;
  r.temperature = 150;
  SentenceEffect e = decodeSentence(r, "$IIMMB,,I,1.0132,B\r\n", 20, -250);
  EXPECT_EQ(e.other.pressure, 101320) << "the height correction is the acquisition's to add";
  EXPECT_FALSE(e.pressure);
  EXPECT_FALSE(e.rejected);
  EXPECT_EQ(r.pressure, 101000);

  const std::string good = withNmeaChecksum("WIMDA,29.4889,I,0.99860,B,21.5,C,,C,,,,C,,T,,M,,N,,M");
  std::string bad = good;
  bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
  e = decodeSentence(r, good.data(), good.size(), 0);
  EXPECT_EQ(e.other.pressure, 99860) << "$WIMDA is not taken for the barograph's $WIXDR";
  EXPECT_FALSE(e.rejected);
  e = decodeSentence(r, bad.data(), bad.size(), 0);
  EXPECT_TRUE(e.rejected) << "a wrong checksum";
  EXPECT_FALSE(e.other.pressure);
  EXPECT_FALSE(e.other.temperature);
  EXPECT_EQ(r.temperature, 150);
}

TEST(NmeaChecksum, OneFunctionForTheMonitorAndTheSimulator) {
  EXPECT_EQ(withNmeaChecksum("WIXDR,P,0.99860,B,Barometer"), "$WIXDR,P,0.99860,B,Barometer*37\r\n");
  EXPECT_EQ(withNmeaChecksum("$WIXDR,P,0.99860,B,Barometer"), "$WIXDR,P,0.99860,B,Barometer*37\r\n");
  EXPECT_EQ(nmeaChecksum(""), 0u);
  EXPECT_EQ(withNmeaChecksum("A"), "$A*41\r\n");
}

} // namespace
} // namespace baromon
