#include "core/program/AcquisitionDisplay.h"

#include <algorithm>
#include <cstdio>

#include "core/domain/Units.h"
#include "core/state/AppContext.h"
#include "core/store/Store.h"

namespace baromon {

namespace {

using platform::WindowId;

constexpr const char* kLiveTitles[] = {
    "Dureridarovidozi %3lu %02d:%02d (UTC) %6.1f hPa %+4.1f hPa/Std %+4.1f hPa/3Std ",
    "Air pressure monitor %3lu %02d:%02d (UTC) %6.1f hPa %+4.1f hPa/hr %+4.1f hPa/3hrs ",
    "Moniteur pression atmospherique %3lu %02d:%02d (UTC) %6.1f hPa %+4.1f hPa/hr %+4.1f hPa/3hr ",
    "Duvozarezeroduva %3lu UTC%02d:%02d %6.1f hPa %+4.1f hPa/uur %+4.1f hPa/3uur ",
    "Pressione atmosferica %3lu UTC%02d:%02d %6.1f hPa %+4.1f hPa/ora %+4.1f hPa/3ore ",
    "monitor pression atmosferica %3lu UTC%02d:%02d %6.1f hPa %+4.1f hPa/ora %+4.1f hPa/3oras ",
};

void showBarographLine(AppContext& app) {
  platform::Windows& windows = app.platform.windows;
  char values[64];
  std::snprintf(values, sizeof values, "NMEA link %3lu",
                static_cast<unsigned long>(app.acquisition.sentenceCount));
  windows.setTitle(WindowId::Values, values);
  windows.setTitle(WindowId::Main, barographLiveTitle(app));
  windows.invalidate(WindowId::Values);
  windows.invalidate(WindowId::Converter);
}

void showSentenceList(AppContext& app) {
  app.platform.windows.invalidate(WindowId::Main);
  char title[64];
  std::snprintf(title, sizeof title, "%lu NMEA - Datens\xE4tze ",
                static_cast<unsigned long>(app.acquisition.nmeaCount));
  app.platform.windows.setTitle(WindowId::Main, title);
}

} // namespace

void showAcquisitionChanges(AppContext& app, const AcquisitionChanges& changes) {
  if (changes.barographLine) {
    showBarographLine(app);
  }
  if (changes.sentenceList) {
    showSentenceList(app);
  }
  if (changes.logGrew) {
    loadHistory(app);
    app.platform.windows.invalidate(WindowId::Main);
  }
}

std::string barographLiveTitle(const AppContext& app) {
  const CurrentReading& r = app.reading;
  char buffer[256];
  int n = std::snprintf(buffer, sizeof buffer, inLanguage(kLiveTitles, app.settings.language),
                        static_cast<unsigned long>(app.acquisition.sentenceCount), r.utcTime.hour,
                        r.utcTime.minute, hpaFromHundredths(r.pressure), hpaFromTenths(r.tendency1h),
                        hpaFromTenths(r.tendency3h));
  std::string title(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
  if (r.voltage != 0) {
    std::snprintf(buffer, sizeof buffer, "U: %2.1fV ", voltsFromTenths(static_cast<std::int32_t>(r.voltage)));
    title += buffer;
  }
  if (r.temperature > kNoTemperature) {
    std::snprintf(buffer, sizeof buffer, "Temp: %+4.1f C ", celsiusFromTenths(r.temperature));
    title += buffer;
  }
  return title;
}

} // namespace baromon
