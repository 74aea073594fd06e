#include "core/display/Panels.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"
#include "core/domain/Rules.h"
#include "core/domain/Units.h"
#include "core/serial/Tendencies.h"

namespace baromon {

using platform::Canvas;
using platform::Rgb;

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};

constexpr const char* kCorrectionPrompt[6] = {
    "Druckkorrektur in hPa eingeben:",          "pressure correction (hPa):",
    "correction de la pression en hPa:",        "Druckkorrektur in hPa eingeben",
    "Inserire il valore di correzione in hPa:", "Druckkorrektur in hPa eingeben",
};

// The trailing blanks belong to the titles.
constexpr const char* kBarographTitle[6] = {
    "Dureridarovidozi Verbindung \374ber COM%d ", // \374: the u umlaut (an octal escape ends after three digits)
    "Air pressure monitor using COM%d ",
    "Moniteur pression atmospherique COM%d ",
    "Vuviduvoravuridid COM%d ",
    "Pressione atmosferica COM%d ",
    "Pression atmosferica COM%d ",
};

constexpr const char* kDiurnalCaption[6] = {
    "Tagesgang schwarz:Luftdruck rot:best-fit blau:1 Std gruen:3 Std grau:Schwankungen",
    "Circadian rhythm",
    "Rythme circadien",
    "Tagesgang Luftdruck",
    "Tagesgang Luftdruck",
    "Tagesgang Luftdruck",
};

constexpr const char* kNmeaTitle[6] = {
    "NMEA-Monitor Verbindung \374ber COM%d",
    "NMEA monitor using COM%d",
    "Moniteur NMEA COM%d",
    "NMEA monitor COM%d",
    "Monitore NMEA COM%d",
    "Monitor NMEA COM%d",
};

int language(const AppContext& app) { return languageIndex(app.settings.language); }

int portNumber(const AppContext& app) { return app.settings.portDigit - '0'; }

template <typename... Args> std::string format(const char* pattern, Args... args) {
  char text[128];
  int n = std::snprintf(text, sizeof text, pattern, args...);
  return std::string(text,
                     n < 0 ? 0 : (n < static_cast<int>(sizeof text) ? n : static_cast<int>(sizeof text) - 1));
}

} // namespace

void paintValuesPanel(AppContext& app, Canvas& dc) {
  const CurrentReading& r = app.reading;
  selectPanelFont(app, dc, 0, 60, 30, 700);
  dc.setTextColour(kBlack);
  dc.setBackgroundMode(platform::BackgroundMode::Transparent);
  dc.textOut(10, 0, format("%8.2f hPa", hpaFromHundredths(r.pressure)));
  dc.setTextColour(fallsFastInOneHour(r.tendency1h) ? kRed : kBlack);
  dc.textOut(10, 70, format("   %+4.1f  hPa/h", hpaFromTenths(r.tendency1h)));
  dc.setTextColour(fallsFastInThreeHours(r.tendency3h) ? kRed : kBlack);
  dc.textOut(10, 110, format("   %+4.1f  hPa/3h", hpaFromTenths(r.tendency3h)));
  dc.setTextColour(fallsMarkedlyInSixHours(r.tendency6h) ? kRed : kBlack);
  if (sixHourTendencyKnown(app.fiveMinute)) {
    dc.textOut(10, 150, format("   %+4.1f  hPa/6h", hpaFromTenths(r.tendency6h)));
  }
  dc.setTextColour(kBlack);
  dc.textOut(
      10, 190,
      format("+/-%5.2f hPa/5min", hpaFromHundredths(static_cast<std::int32_t>(app.converter.variation))));
  if (r.temperature > -99) {
    dc.textOut(10, 260, format("  %+4.1f C", celsiusFromTenths(r.temperature)));
  }
  if (r.voltage != 0) {
    dc.textOut(10, 300, format("   %4.1f V", voltsFromTenths(static_cast<std::int32_t>(r.voltage))));
  }
  restoreStockFont(app, dc);
}

void paintConverterPanel(AppContext& app, Canvas& dc) {
  const ConverterStats& c = app.converter;
  selectPanelFont(app, dc, 0, 30, 15, 700);
  dc.setTextColour(kBlack);
  dc.setBackgroundMode(platform::BackgroundMode::Transparent);
  dc.textOut(10, 0, format("AD16: %5u", static_cast<unsigned>(app.reading.adValue)));
  dc.textOut(10, 20,
             format("mean: %5u  +/-%2u", static_cast<unsigned>(c.mean), static_cast<unsigned>(c.range / 2)));
  // The minimum keeps its start value until the first converter value arrives.
  const unsigned minimum = c.minimum >= 65530u ? 0u : static_cast<unsigned>(c.minimum);
  dc.textOut(10, 40, format("min:  %5u", minimum));
  dc.textOut(10, 60, format("max:  %5u", static_cast<unsigned>(c.maximum)));
  restoreStockFont(app, dc);
}

void paintNmeaList(AppContext& app, Canvas& dc, int windowOuterHeight) {
  const platform::TextMetrics metrics = dc.textMetrics();
  const int lineHeight = metrics.height + metrics.externalLeading;
  if (lineHeight <= 0) {
    return; // no usable font: nothing can be laid out
  }
  int rows = windowOuterHeight / lineHeight - 3;
  if (rows > kNmeaRows) {
    rows = kNmeaRows;
  }
  if (isKxMode(app.settings.dataMode)) {
    return;
  }
  for (int i = 0; i < rows; ++i) {
    auto& row = app.nmea[i];
    for (int b = 0; b < kNmeaRowSize - 1; ++b) {
      const auto byte = static_cast<unsigned char>(row[b]);
      if (byte < 0x20 || byte >= 0x80) {
        row[b] = ' ';
      }
    }
    if (row[0] == '$') {
      dc.textOut(25, lineHeight * i, row.data(), 85);
    }
  }
}

void paintCorrectionPrompt(AppContext& app, Canvas& dc) {
  dc.setBackgroundMode(platform::BackgroundMode::Transparent);
  const char* prompt = kCorrectionPrompt[language(app)];
  dc.textOut(20, 10, prompt, static_cast<int>(std::strlen(prompt)));
}

void setBarographTitles(AppContext& app) {
  const int lang = language(app);
  app.platform.windows.setTitle(platform::WindowId::Main, format(kBarographTitle[lang], portNumber(app)));
  app.platform.windows.setTitle(platform::WindowId::Diurnal, kDiurnalCaption[lang]);
}

void setNmeaTitle(AppContext& app) {
  app.platform.windows.setTitle(platform::WindowId::Main, format(kNmeaTitle[language(app)], portNumber(app)));
}

} // namespace baromon
