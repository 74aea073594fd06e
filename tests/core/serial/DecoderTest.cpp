#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/serial/Decoders.h"

namespace baromon {
namespace {

CurrentReading decoded(const std::string& line, int hk = 0, CurrentReading start = {}) {
  decodeSentence(start, line.data(), line.size(), hk);
  return start;
}

struct PxdrCase {
  const char* legend;
  std::string line;
  int hk;
  int valid;
  std::int32_t pressure;
  std::uint32_t adValue;
  std::int32_t tendency1h;
  std::int32_t tendency3h;
};

TEST(DecodePxdr, OffsetsSignsAndClamps) {
  const PxdrCase cases[] = {
      {"the device's example sentence", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n", 0, 1, 99860,
       52684, 12, 35},
      {"height correction added to the pressure", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n", -250,
       1, 99610, 52684, 12, 35},
      {"pressure above 1500 hPa is clamped", "$PXDR,1600.00,52684,+01.2,+03.5\r\n", 0, 1, 150000, 52684, 12,
       35},
      {"negative tendencies", "$PXDR,1013.25,00001,-12.5,-00.1\r\n", 0, 1, 101325, 1, -125, -1},
      {"zero tendencies stay zero", "$PXDR,1013.25,65535,+00.0,+00.0\r\n", 0, 1, 101325, 65535, 0, 0},
      {"any byte but '-' is a plus sign", "$PXDR,1013.25,65535,x01.0, 02.0\r\n", 0, 1, 101325, 65535, 10, 20},
      {"the bytes at the decimal points are not read", "$PXDR,1013x25,00100,+01x2,+03x5\r\n", 0, 1, 101325,
       100, 12, 35},
      {"the fields after the 3-hour tendency are not needed", "$PXDR,0950.00,40000,+01.0,+02.0,\n", 0, 1,
       95000, 40000, 10, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const CurrentReading r = decoded(c.line, c.hk);
    EXPECT_EQ(r.valid, c.valid);
    EXPECT_EQ(r.pressure, c.pressure);
    EXPECT_EQ(r.adValue, c.adValue);
    EXPECT_EQ(r.tendency1h, c.tendency1h);
    EXPECT_EQ(r.tendency3h, c.tendency3h);
  }
}

TEST(DecodePxdr, AWrongFixedByteChangesNothing) {
  CurrentReading before;
  before.pressure = 101000;
  before.adValue = 50000;
  before.tendency1h = 7;
  before.tendency3h = -8;
  const char* bad[] = {
      "$pXDR,0998.60,52684,+01.2,+03.5\r\n", // lower-case p
      "$PXDR,0998.60;52684,+01.2,+03.5\r\n", // byte 13
      "$PXDR,0998.60,52684;+01.2,+03.5\r\n", // byte 19
      "$PXDR,0998.60,52684,+01.2;+03.5\r\n", // byte 25
      "$PXDX,0998.60,52684,+01.2,+03.5\r\n", // byte 4
      "$PXDR 0998.60,52684,+01.2,+03.5\r\n", // byte 5
      "$PXDR,0998.60,52684,+01\r\n",         // cut before byte 25
      "$PXDR,0998.60\r\n",                   // cut after the pressure
  };
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    CurrentReading r = before;
    r.valid = true;
    EXPECT_FALSE(decodeSentence(r, line, std::strlen(line), 0).notSentence);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.pressure, 101000);
    EXPECT_EQ(r.adValue, 50000u);
    EXPECT_EQ(r.tendency1h, 7);
    EXPECT_EQ(r.tendency3h, -8);
  }
}

TEST(DecodeSentence, OnlyLinesStartingWithDollarAreSentences) {
  CurrentReading r;
  r.valid = true;
  EXPECT_TRUE(decodeSentence(r, "PXDR,0998.60\r\n", 14, 0).notSentence);
  EXPECT_FALSE(r.valid);
  EXPECT_TRUE(decodeSentence(r, "", 0, 0).notSentence);
  EXPECT_TRUE(decodeSentence(r, "\n", 1, 0).notSentence);
  EXPECT_FALSE(decodeSentence(r, "$GPRMC,1,2,3\r\n", 14, 0).notSentence) << "other sentences are ignored";
  EXPECT_EQ(r.pressure, 0);
}

TEST(DecodeSentence, BytesPastTheLineReadAsZeroNotAsAnEarlierLine) {
  // The buffer still holds a whole sentence, but only its first 27 bytes are
  // this line: the 3-hour tendency digits beyond must not come from the old text.
  const std::string buffer = "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n";
  CurrentReading r;
  const SentenceEffect effect = decodeSentence(r, buffer.data(), 27, 0);
  EXPECT_FALSE(r.valid) << "a sentence that ends inside a field is malformed";
  EXPECT_TRUE(effect.rejected);
  EXPECT_EQ(r.pressure, 0);
  EXPECT_EQ(r.tendency3h, 0);
}

// One flipped bit on the line must not become a reading that stays in the log for good.
// Each of these is refused: nothing changes, and the refusal is counted.
TEST(DecodeSentence, CorruptedSentencesChangeNothingAndAreCounted) {
  struct Case {
    const char* legend;
    std::string line;
  } cases[] = {
      {"letter in the pressure's thousands", "$PXDR,0A98.60,52684,+01.2,+03.5,-0300,0995.40\r\n"},
      {"letter O for a zero in the pressure", "$PXDR,1O13.84,56583,-01.2,-02.1,-0180,1015.90\r\n"},
      {"colon (the byte after 9) in the hundredths", "$PXDR,0998.6:,52684,+01.2,+03.5\r\n"},
      {"letter in the converter value", "$PXDR,0998.60,5268O,+01.2,+03.5\r\n"},
      {"letters for every tendency digit", "$PXDR,1013.25,00100,-zz.z,+zz.z\r\n"},
      {"blank in the 3-hour tendency's tenths", "$PXDR,0998.60,52684,+01.2,+03. \r\n"},
      {"line ends inside the 3-hour tendency", "$PXDR,0998.60,52684,+01.2,+03\r\n"},
      {"wrong checksum", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40*06\r\n"},
      {"a digit flipped under a good checksum", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.41*07\r\n"},
      {"checksum that is not hex", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40*0G\r\n"},
      {"checksum cut to one digit", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40*0\r\n"},
      {"letter in the bar value", "$WIXDR,P,0.99Z6,B\r\n"},
      {"two points in the bar value", "$WIXDR,P,0.99.6,B\r\n"},
      {"minus before a pressure", "$WIXDR,P,-0.9986,B\r\n"},
      {"pressure in another unit", "$WIXDR,P,1003.4,H\r\n"},
      {"pressure without a unit", "$WIXDR,P,0.9986\r\n"},
      {"pressure value empty", "$WIXDR,P,,B\r\n"},
      {"$WIXDR with a wrong checksum", "$WIXDR,P,0.9986,B*7F\r\n"},
      {"letter in the temperature", "$WIXDR,C,2l.5,C\r\n"},
      {"no digit after the temperature's point", "$WIXDR,C,21.,C\r\n"},
      {"letter after the temperature's point", "$WIXDR,C,21.x,C\r\n"},
      {"letter in the voltage", "$WIXDR,U,1Z.6,V\r\n"},
      {"a wrong fixed byte", "$PXDR,0998.60;52684,+01.2,+03.5\r\n"},
      {"lower-case p", "$pXDR,0998.60,52684,+01.2,+03.5\r\n"},
  };
  CurrentReading before;
  before.pressure = 101000;
  before.adValue = 50000;
  before.tendency1h = 7;
  before.tendency3h = -8;
  before.temperature = 123;
  before.voltage = 45;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    CurrentReading r = before;
    r.valid = true;
    const SentenceEffect effect = decodeSentence(r, c.line.data(), c.line.size(), 0);
    EXPECT_FALSE(effect.notSentence);
    EXPECT_TRUE(effect.rejected);
    EXPECT_FALSE(effect.pressure);
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.pressure, 101000);
    EXPECT_EQ(r.adValue, 50000u);
    EXPECT_EQ(r.tendency1h, 7);
    EXPECT_EQ(r.tendency3h, -8);
    EXPECT_EQ(r.temperature, 123);
    EXPECT_EQ(r.voltage, 45u);
  }
}

TEST(DecodeSentence, ChecksumsUnitsAndPascalsThatAreAccepted) {
  struct Case {
    const char* legend;
    std::string line;
    int valid;
    std::int32_t pressure;
    std::int32_t temperature;
    std::uint32_t voltage;
  } cases[] = {
      {"the barograph's own $PXDR has no checksum", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n", 1,
       99860, -999, 0},
      {"good checksum", "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40*07\r\n", 1, 99860, -999, 0},
      {"good checksum right after the 3-hour tendency", "$PXDR,0998.60,52684,+01.2,+03.5*06\r\n", 1, 99860,
       -999, 0},
      {"good checksum in lower-case hex", "$WIXDR,P,0.9986,B*7e\r\n", 0, 99860, -999, 0},
      {"good checksum on a line without line end", "$WIXDR,C,21.5,C*64", 0, 0, 215, 0},
      {"lower-case unit letter", "$WIXDR,P,0.9986,b\r\n", 0, 99860, -999, 0},
      {"bar with a name field and checksum", "$WIXDR,P,1.0132,B,Barometer*08\r\n", 0, 101320, -999, 0},
      {"pascals: a pascal is a hundredth of a hPa", "$WIXDR,P,101325,P*78\r\n", 0, 101325, -999, 0},
      {"pascals with a fraction", "$WIXDR,P,99860.5,P\r\n", 0, 99860, -999, 0},
      {"pascals above 150000 are clamped", "$WIXDR,P,160000,P\r\n", 0, 150000, -999, 0},
      {"a plus sign on the temperature", "$WIXDR,C,+21.5,C\r\n", 0, 0, 215, 0},
      {"a sign byte in a $PXDR tendency is no digit", "$PXDR,0998.60,52684, 01.2,x03.5\r\n", 1, 99860, -999,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    CurrentReading r;
    const SentenceEffect effect = decodeSentence(r, c.line.data(), c.line.size(), 0);
    EXPECT_FALSE(effect.rejected);
    EXPECT_EQ(effect.pressure, c.pressure != 0);
    EXPECT_EQ(r.valid, c.valid);
    EXPECT_EQ(r.pressure, c.pressure);
    EXPECT_EQ(r.temperature, c.temperature);
    EXPECT_EQ(r.voltage, c.voltage);
  }
}

TEST(DecodeSentence, OnlyDeviceSentencesAreCountedAsRejected) {
  const char* ignored[] = {
      "garbage\r\n",
      "$GPRMC,100300.00,A,4807.038,N,01131.000,E,002.1,045.0,071226,,,A*00\r\n", // not ours, bad checksum
      "$WIXDR,H,55.0,P\r\n", // a transducer we do not read
      "",
  };
  for (const char* line : ignored) {
    SCOPED_TRACE(line);
    CurrentReading r;
    const SentenceEffect effect = decodeSentence(r, line, std::strlen(line), 0);
    EXPECT_FALSE(effect.rejected);
  }
}

struct WixdrCase {
  const char* legend;
  std::string line;
  std::int32_t pressure;
  std::int32_t temperature;
  std::uint32_t voltage;
};

TEST(DecodeWixdr, PressureTemperatureAndVoltageFrames) {
  const WixdrCase cases[] = {
      {"pressure in bar", "$WIXDR,P,0.9986,B\r\n", 99860, -999, 0},
      {"lower-case kind letter", "$WIXDR,p,1.0132,B\r\n", 101320, -999, 0},
      {"pressure above 1.5 bar is clamped", "$WIXDR,P,1.6000,B\r\n", 150000, -999, 0},
      {"without a point the digit before the end counts as whole bar", "$WIXDR,P,1,B\r\n", 100000, -999, 0},
      {"pressure with extra decimals: only five count", "$WIXDR,P,0.998612,B\r\n", 99861, -999, 0},
      {"temperature with a point", "$WIXDR,C,21.5,C\r\n", 0, 215, 0},
      {"negative temperature", "$WIXDR,C,-3.2,C\r\n", 0, -32, 0},
      {"temperature without a point: the last digit is tenths", "$WIXDR,C,21,C\r\n", 0, 21, 0},
      {"only two digits before the point are read", "$WIXDR,C,105.5,C\r\n", 0, 55, 0},
      {"voltage with a point", "$WIXDR,U,12.6,V\r\n", 0, -999, 126},
      {"voltage without a point", "$WIXDR,U,126,V\r\n", 0, -999, 126},
      {"voltage reads three digits before the point", "$WIXDR,U,150.0,V\r\n", 0, -999, 500},
      {"voltage without a point reads the last three digits", "$WIXDR,U,1500,V\r\n", 0, -999, 500},
      {"an unknown kind changes nothing", "$WIXDR,H,55.0,P\r\n", 0, -999, 0},
      {"a wrong fixed byte changes nothing", "$WIXDR;C,21.5,C\r\n", 0, -999, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const CurrentReading r = decoded(c.line);
    EXPECT_FALSE(r.valid) << "a $WIXDR frame never counts as a valid sentence";
    EXPECT_EQ(r.pressure, c.pressure);
    EXPECT_EQ(r.temperature, c.temperature);
    EXPECT_EQ(r.voltage, c.voltage);
  }
}

TEST(DecodeWixdr, PressureGetsTheHeightCorrectionAndKeepsTheRest) {
  CurrentReading start;
  start.adValue = 52684;
  start.tendency1h = 12;
  const CurrentReading r = decoded("$WIXDR,P,0.9986,B\r\n", 300, start);
  EXPECT_EQ(r.pressure, 100160);
  EXPECT_EQ(r.adValue, 52684u);
  EXPECT_EQ(r.tendency1h, 12);
}

TEST(UpdateConverterStats, WindowOfOneHundredNonZeroValues) {
  ConverterStats s;
  updateConverterStats(s, 52684);
  EXPECT_EQ(s.mean, 52684u);
  EXPECT_EQ(s.minimum, 52684u);
  EXPECT_EQ(s.maximum, 52684u);
  EXPECT_EQ(s.range, 0u);
  EXPECT_EQ(s.variation, 0u);

  updateConverterStats(s, 52690);
  updateConverterStats(s, 52681);
  EXPECT_EQ(s.mean, (52684u + 52690u + 52681u) / 3);
  EXPECT_EQ(s.minimum, 52681u);
  EXPECT_EQ(s.maximum, 52690u);
  EXPECT_EQ(s.range, 9u);
  EXPECT_EQ(s.variation, 9u);

  // The hundredth value back still counts; 100 more values push the first three out.
  for (int i = 0; i < 97; ++i) {
    updateConverterStats(s, 40000);
  }
  EXPECT_EQ(s.history[99], 52684u) << "the first value is the oldest of the hundred kept";
  EXPECT_EQ(s.maximum, 52690u);
  for (int i = 0; i < 3; ++i) {
    updateConverterStats(s, 40000);
  }
  EXPECT_EQ(s.history.size(), 100u) << "no slot beyond the values the statistics cover";
  EXPECT_EQ(s.minimum, 40000u);
  EXPECT_EQ(s.maximum, 40000u);
  EXPECT_EQ(s.mean, 40000u);
}

TEST(UpdateConverterStats, VariationIsTheRangeClampedTo999) {
  ConverterStats s;
  updateConverterStats(s, 50000);
  updateConverterStats(s, 51500);
  EXPECT_EQ(s.range, 1500u);
  EXPECT_EQ(s.variation, 999u);
}

TEST(UpdateConverterStats, ZeroEntriesDoNotCount) {
  ConverterStats s;
  s.history[5] = 0;
  updateConverterStats(s, 1000);
  updateConverterStats(s, 1002);
  EXPECT_EQ(s.mean, 1001u);
  EXPECT_EQ(s.minimum, 1000u) << "the empty entries do not pull the minimum to 0";
}

} // namespace
} // namespace baromon
