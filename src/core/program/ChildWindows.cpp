#include "core/program/ChildWindows.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

#include "core/state/AppContext.h"
#include "core/program/WindowProcedure.h"
#include "core/config/EventLog.h"
#include "core/config/Menus.h"
#include "core/domain/Units.h"

namespace baromon {

using platform::ShowMode;
using platform::WindowClass;
using platform::WindowId;
using platform::WindowSpec;
using platform::WindowStyle;

namespace {

int openPanelWindow(AppContext& app, WindowId id, const WindowSpec& wanted, int option) {
  if (!createProgramWindow(app, id, wanted)) {
    reportEvent(app, Event::WindowNotCreated);
    return 0;
  }
  auto& windows = app.platform.windows;
  windows.showWindow(id, option != 0 ? ShowMode::Show : ShowMode::Hide);
  windows.updateWindow(id);
  return 1;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace

bool createProgramWindow(AppContext& app, WindowId window, const WindowSpec& wanted) {
  if (!app.platform.windows.createWindow(window, wanted)) {
    return false;
  }
  onWindowCreated(app);
  return true;
}

int openValuesWindow(AppContext& app) {
  return openPanelWindow(
      app, WindowId::Values,
      WindowSpec{WindowClass::LightGrey, WindowStyle::Overlapped, kValuesWindowTitle, 10, 10, 550, 450},
      app.settings.valuesWindow);
}

void closeValuesWindow(AppContext& app) { app.platform.windows.destroyWindow(WindowId::Values); }

int openConverterWindow(AppContext& app) {
  return openPanelWindow(app, WindowId::Converter,
                         WindowSpec{WindowClass::LightGrey, WindowStyle::Overlapped, "AD", 60, 60, 300, 200},
                         app.settings.converterWindow);
}

void closeConverterWindow(AppContext& app) { app.platform.windows.destroyWindow(WindowId::Converter); }

int openDiurnalWindow(AppContext& app) {
  auto& windows = app.platform.windows;
  // A second window would only show a stale copy of the same analysis.
  if (windows.windowExists(WindowId::Diurnal)) {
    windows.raiseWindow(WindowId::Diurnal);
    return 1;
  }
  const WindowSpec wanted{
      WindowClass::White, WindowStyle::Overlapped, kDiurnalWindowTitle, 110, 110, 500, 250};
  if (!createProgramWindow(app, WindowId::Diurnal, wanted)) {
    reportEvent(app, Event::WindowNotCreated);
    return 255;
  }
  windows.showWindow(WindowId::Diurnal, ShowMode::Show);
  windows.updateWindow(WindowId::Diurnal);
  return 1;
}

PopupPosition correctionPopupPosition(platform::ScreenSize screen) {
  PopupPosition p{screen.width / 2, screen.height / 2};
  if (p.x > 150) {
    p.x -= 140;
  }
  if (p.y > 80) {
    p.y -= 70;
  }
  return p;
}

std::string correctionText(int hk) {
  char buffer[32];
  // to_chars is independent of the process locale, which the toolkit may have changed.
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, hpaFromHundredths(hk), std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

void openCorrectionDialog(AppContext& app) {
  auto& windows = app.platform.windows;
  // One popup at a time: a second one would be left on the screen without a way to reach it.
  if (windows.windowExists(WindowId::Correction)) {
    windows.raiseWindow(WindowId::Correction);
    windows.invalidate(WindowId::Correction);
    return;
  }
  const PopupPosition pos = correctionPopupPosition(app.shell.screen);
  if (createProgramWindow(
          app, WindowId::Correction,
          WindowSpec{WindowClass::LightGrey, WindowStyle::Popup, " ", pos.x, pos.y, 280, 140})) {
    windows.showWindow(WindowId::Correction, ShowMode::ShowNormal);
    windows.updateWindow(WindowId::Correction);
  }
  windows.invalidate(WindowId::Correction);
  windows.createEditField(WindowId::Correction, {20, 40, 100, 25}, kCorrectionFieldChars);
  windows.createButton(WindowId::Correction, {20, 80, 100, 25}, "OK", cmd::CorrectionOk);
  windows.setEditText(WindowId::Correction, correctionText(app.settings.heightCorrection));
}

int correctionFromText(const std::string& entry) {
  // The field is read through a 20-byte buffer: 19 characters and the terminator.
  std::string text = entry.substr(0, kCorrectionFieldChars - 1);
  for (char& c : text) {
    if (c == ',') {
      c = '.';
    }
  }
  const char* p = text.c_str();
  const char* end = p + text.size();
  while (p < end && isBlank(*p)) {
    ++p;
  }
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // Digits with an optional point and exponent; no second sign, no hexadecimal, no inf or nan.
  if (p >= end || !((*p >= '0' && *p <= '9') || *p == '.')) {
    return 0;
  }
  double value = 0.0;
  auto [last, ec] = std::from_chars(p, end, value, std::chars_format::general);
  if (ec == std::errc::invalid_argument) {
    return 0;
  }
  if (ec == std::errc::result_out_of_range) {
    // Only an exponent can leave the range of a double: a negative one means "almost 0",
    // a positive one a value far beyond what the clamp below lets through.
    const std::string_view number(p, static_cast<std::size_t>(last - p));
    const auto e = number.find_first_of("eE");
    value = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-' ? 0.0 : 1e300;
  }
  if (negative) {
    value = -value;
  }
  // The product is kept in single precision before it is cut, so 2,35 gives 235, not 234.
  const float hundredths = static_cast<float>(value * 100.0);
  if (!std::isfinite(hundredths) || hundredths >= static_cast<float>(kMaxCorrection)) {
    return hundredths < 0 ? -kMaxCorrection : kMaxCorrection;
  }
  if (hundredths <= -static_cast<float>(kMaxCorrection)) {
    return -kMaxCorrection;
  }
  return static_cast<int>(hundredths);
}

void applyCorrectionInput(AppContext& app) {
  auto& windows = app.platform.windows;
  app.settings.heightCorrection =
      correctionFromText(windows.editText(WindowId::Correction, kCorrectionFieldChars - 1));
  closeCorrectionPopup(app);
}

void closeCorrectionPopup(AppContext& app) { app.platform.windows.destroyWindow(WindowId::Correction); }

} // namespace baromon
