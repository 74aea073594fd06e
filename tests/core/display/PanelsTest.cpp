#include <gtest/gtest.h>

#include <cstring>

#include "DisplayTestSupport.h"
#include "core/display/Panels.h"

using namespace baromon;
using namespace baromon::testing;
using namespace baromon::platform;

namespace {

constexpr Rgb kBlackText{0, 0, 0};
constexpr Rgb kRedText{255, 0, 0};

struct Shown {
  int x, y;
  std::string text;
  Rgb colour;
};

std::vector<Shown> shown(const RecordingCanvas& dc) {
  std::vector<Shown> result;
  for (const Op& op : dc.texts()) {
    result.push_back({op.x, op.y, op.text, op.textColour});
  }
  return result;
}

void setRow(NmeaTable& table, int row, const char* text) {
  table[row].fill(0);
  std::memcpy(table[row].data(), text, std::strlen(text));
}

} // namespace

TEST(ValuesPanel, TextsPositionsAndFallingColours) {
  struct Case {
    const char* legend;
    std::int32_t t1, t3, t6, reference6h, temperature;
    std::uint32_t voltage;
    std::vector<std::tuple<int, std::string, bool>> lines; // y, text, red
  } cases[] = {
      {"thresholds exactly: all black; no six-hour reference, temperature or voltage",
       -14,
       -40,
       -90,
       0,
       -999,
       0,
       {{0, " 1013.25 hPa", false},
        {70, "   -1.4  hPa/h", false},
        {110, "   -4.0  hPa/3h", false},
        {190, "+/- 0.12 hPa/5min", false}}},
      {"beyond the thresholds: red; six-hour line once its reference exists",
       -15,
       -41,
       -91,
       101000,
       215,
       124,
       {{0, " 1013.25 hPa", false},
        {70, "   -1.5  hPa/h", true},
        {110, "   -4.1  hPa/3h", true},
        {150, "   -9.1  hPa/6h", true},
        {190, "+/- 0.12 hPa/5min", false},
        {260, "  +21.5 C", false},
        {300, "   12.4 V", false}}},
      {"rising, temperature -9.8 C shown, -9.9 C would not be",
       25,
       120,
       3,
       101000,
       -98,
       0,
       {{0, " 1013.25 hPa", false},
        {70, "   +2.5  hPa/h", false},
        {110, "   +12.0  hPa/3h", false},
        {150, "   +0.3  hPa/6h", false},
        {190, "+/- 0.12 hPa/5min", false},
        {260, "  -9.8 C", false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp t;
    RecordingCanvas dc(t.graphics, {600, 400});
    t.app.reading.pressure = 101325;
    t.app.reading.tendency1h = c.t1;
    t.app.reading.tendency3h = c.t3;
    t.app.reading.tendency6h = c.t6;
    t.app.reading.temperature = c.temperature;
    t.app.reading.voltage = c.voltage;
    t.app.fiveMinute[71] = c.reference6h;
    t.app.converter.variation = 12;
    const std::size_t live = t.graphics.liveCount();
    paintValuesPanel(t.app, dc);
    const auto texts = shown(dc);
    ASSERT_EQ(texts.size(), c.lines.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const auto& [y, text, red] = c.lines[i];
      EXPECT_EQ(texts[i].x, 10);
      EXPECT_EQ(texts[i].y, y);
      EXPECT_EQ(texts[i].text, text);
      EXPECT_EQ(texts[i].colour, red ? kRedText : kBlackText) << text;
    }
    for (const Op& op : dc.texts()) {
      EXPECT_EQ(op.font, (FontSpec{FontKind::Panel, 60, 30, 0, 700}));
      EXPECT_EQ(op.background, BackgroundMode::Transparent);
    }
    EXPECT_EQ(dc.currentFont(), t.graphics.stockFixedFont());
    EXPECT_EQ(t.graphics.liveCount(), live); // the panel font lived for this paint only
  }
}

TEST(ConverterPanel, StatisticsAndTheMissingMinimum) {
  struct Case {
    std::uint32_t minimum;
    const char* minLine;
  } cases[] = {
      {65535, "min:      0"}, {65530, "min:      0"}, {65529, "min:  65529"}, {31000, "min:  31000"}};
  for (const Case& c : cases) {
    fakes::TestApp t;
    RecordingCanvas dc(t.graphics, {300, 100});
    t.app.reading.adValue = 31234;
    t.app.converter.mean = 31200;
    t.app.converter.range = 9; // shown halved, truncated
    t.app.converter.minimum = c.minimum;
    t.app.converter.maximum = 31240;
    paintConverterPanel(t.app, dc);
    const auto texts = shown(dc);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, "AD16: 31234");
    EXPECT_EQ(texts[1].text, "mean: 31200  +/- 4");
    EXPECT_EQ(texts[2].text, c.minLine);
    EXPECT_EQ(texts[3].text, "max:  31240");
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(texts[i].x, 10);
      EXPECT_EQ(texts[i].y, 20 * i);
    }
    EXPECT_EQ(dc.texts()[0].font, (FontSpec{FontKind::Panel, 30, 15, 0, 700}));
  }
}

TEST(NmeaList, RowsFollowTheWindowHeightAndTheTableSize) {
  struct Case {
    const char* legend;
    int outerHeight, lineHeight, leading;
    int rowsDrawn;
  } cases[] = {
      {"1000 px at 16 px a line: 62 - 3 rows", 1000, 16, 0, 59},
      {"external leading counts", 1000, 14, 2, 59},
      {"4000 px: no more than the table", 4000, 16, 0, 82},
      {"too low for any row", 40, 16, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    fakes::TestApp t;
    t.app.settings.dataMode = DataMode::Nmea;
    RecordingCanvas dc(t.graphics);
    dc.metrics.height = c.lineHeight;
    dc.metrics.externalLeading = c.leading;
    for (int i = 0; i < kNmeaRows; ++i) {
      setRow(t.app.nmea, i, "$GPGGA,1\r\n");
    }
    paintNmeaList(t.app, dc, c.outerHeight);
    const auto texts = dc.texts();
    ASSERT_EQ(static_cast<int>(texts.size()), c.rowsDrawn);
    if (!texts.empty()) {
      EXPECT_EQ(texts.back().x, 25);
      EXPECT_EQ(texts.back().y, 16 * (c.rowsDrawn - 1));
    }
  }
}

TEST(NmeaList, ControlBytesBecomeBlanksInTheTableAndRowsAreDrawn85Wide) {
  fakes::TestApp t;
  t.app.settings.dataMode = DataMode::Nmea;
  RecordingCanvas dc(t.graphics);
  setRow(t.app.nmea, 0, "$WIXDR,P,1.0132,B,0*7A\r\n");
  setRow(t.app.nmea, 1,
         "$GPRMC,\x01"
         "A,\xFC\x7F"
         "x");
  setRow(t.app.nmea, 2, "");            // empty row: its line stays empty
  setRow(t.app.nmea, 3, "garbage\r\n"); // cleaned, not drawn
  t.app.nmea[4].fill('X');
  t.app.nmea[4][0] = '$';
  t.app.nmea[4][127] = '\x01'; // the last byte is left alone
  paintNmeaList(t.app, dc, 1000);
  const auto texts = dc.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "$WIXDR,P,1.0132,B,0*7A" + std::string(85 - 22, ' '));
  EXPECT_EQ(texts[0].y, 0);
  EXPECT_EQ(texts[1].text.substr(0, 12), "$GPRMC, A, \x7F");
  EXPECT_EQ(texts[1].text.size(), 85u);
  EXPECT_EQ(texts[2].y, 64);
  EXPECT_EQ(texts[2].text, "$" + std::string(84, 'X'));
  EXPECT_EQ(std::string(t.app.nmea[3].data(), 10), "garbage   ");
  EXPECT_EQ(t.app.nmea[2][126], ' ');
  EXPECT_EQ(t.app.nmea[4][127], '\x01');
  EXPECT_EQ(texts[0].font.kind, FontKind::StockFixed);
}

TEST(NmeaList, BarographModeDrawsNothingAndLeavesTheTable) {
  fakes::TestApp t;
  t.app.settings.dataMode = DataMode::Kx;
  RecordingCanvas dc(t.graphics);
  setRow(t.app.nmea, 0, "$GPGGA\r\n");
  paintNmeaList(t.app, dc, 1000);
  EXPECT_TRUE(dc.ops.empty());
  EXPECT_EQ(t.app.nmea[0][6], '\r');
}

TEST(CorrectionPrompt, LanguagesAndPlace) {
  const char* prompts[] = {
      "Druckkorrektur in hPa eingeben:",          "pressure correction (hPa):",
      "correction de la pression en hPa:",        "Druckkorrektur in hPa eingeben",
      "Inserire il valore di correzione in hPa:", "Druckkorrektur in hPa eingeben",
  };
  for (std::uint8_t lang = 0; lang < 6; ++lang) {
    fakes::TestApp t;
    t.app.settings.language = lang;
    RecordingCanvas dc(t.graphics);
    paintCorrectionPrompt(t.app, dc);
    ASSERT_EQ(dc.texts().size(), 1u);
    EXPECT_EQ(RecordingCanvas::describe(dc.texts()[0]),
              std::string("text 20,10 \"") + prompts[lang] + "\" font=stock colour=000000 bk=transparent");
  }
}

TEST(Titles, BothModesInEveryLanguage) {
  struct Case {
    const char* main;
    const char* diurnal;
    const char* nmea;
  } cases[] = {
      {"Dureridarovidozi Verbindung \xFC"
       "ber COM3 ",
       "Tagesgang schwarz:Luftdruck rot:best-fit blau:1 Std gruen:3 Std grau:Schwankungen",
       "NMEA-Monitor Verbindung \xFC"
       "ber COM3"},
      {"Air pressure monitor using COM3 ", "Circadian rhythm", "NMEA monitor using COM3"},
      {"Moniteur pression atmospherique COM3 ", "Rythme circadien", "Moniteur NMEA COM3"},
      {"Vuviduvoravuridid COM3 ", "Tagesgang Luftdruck", "NMEA monitor COM3"},
      {"Pressione atmosferica COM3 ", "Tagesgang Luftdruck", "Monitore NMEA COM3"},
      {"Pression atmosferica COM3 ", "Tagesgang Luftdruck", "Monitor NMEA COM3"},
  };
  for (std::uint8_t lang = 0; lang < 6; ++lang) {
    SCOPED_TRACE(static_cast<int>(lang));
    fakes::TestApp t;
    t.app.settings.language = lang;
    t.app.settings.portDigit = '3';
    setBarographTitles(t.app);
    EXPECT_EQ(t.windows.titles[WindowId::Main], cases[lang].main);
    EXPECT_EQ(t.windows.titles[WindowId::Diurnal], cases[lang].diurnal);
    setNmeaTitle(t.app);
    EXPECT_EQ(t.windows.titles[WindowId::Main], cases[lang].nmea);
  }
  EXPECT_EQ(std::strlen(cases[0].diurnal), 81u);
}

TEST(Panels, UnusableInputsDrawSafely) {
  fakes::TestApp t;
  t.app.settings.language = 9; // never written by the settings reader; read as German
  t.app.settings.portDigit = '1';
  setBarographTitles(t.app);
  EXPECT_EQ(t.windows.titles[WindowId::Main], "Dureridarovidozi Verbindung \xFC"
                                              "ber COM1 ");
  RecordingCanvas dc(t.graphics);
  paintCorrectionPrompt(t.app, dc);
  EXPECT_EQ(dc.texts().at(0).text, "Druckkorrektur in hPa eingeben:");

  t.app.settings.dataMode = DataMode::Nmea;
  setRow(t.app.nmea, 0, "$GPGGA\r\n");
  RecordingCanvas noFont(t.graphics);
  noFont.metrics.height = 0;
  paintNmeaList(t.app, noFont, 1000); // no line height: nothing to lay out, no division by zero
  EXPECT_TRUE(noFont.texts().empty());
}
