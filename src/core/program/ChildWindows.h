#pragma once

#include <string>

#include "platform/WindowServices.h"

namespace baromon {

struct AppContext;

// The values and converter windows; 1 on success, 0 (and event 10) when the
// window cannot be created. Shown only while valuesWindow / converterWindow is on.
int openValuesWindow(AppContext& app);
void closeValuesWindow(AppContext& app);
int openConverterWindow(AppContext& app);
void closeConverterWindow(AppContext& app);
// The diurnal window; 1 on success, 255 (and event 10) on failure. An open one is
// raised instead of stacking a second window.
int openDiurnalWindow(AppContext& app);
// The height-correction popup with its edit field and OK button, filled with the height correction in hPa.
void openCorrectionDialog(AppContext& app);
// OK in the popup: the height correction from the edit field, then the popup is closed.
void applyCorrectionInput(AppContext& app);
void closeCorrectionPopup(AppContext& app);

// Where the popup stands on a screen of the given size.
struct PopupPosition {
  int x = 0;
  int y = 0;
};
PopupPosition correctionPopupPosition(platform::ScreenSize screen);

// The correction in hundredths of a hPa for an entry in hPa: a decimal comma is
// taken as a point, conversion stops at the first character that does not fit,
// text without a number gives 0, the result is limited to -99999..99999.
int correctionFromText(const std::string& text);
// The height correction in hPa with two decimals, as the edit field shows it.
std::string correctionText(int hk);

// Creates a program window; every creation also makes the drawing pens the first time.
bool createProgramWindow(AppContext& app, platform::WindowId window, const platform::WindowSpec& wanted);

inline constexpr const char* kValuesWindowTitle = "NMEA link inactive";
inline constexpr const char* kDiurnalWindowTitle =
    "Diurnal rhythm air pressure:black best-fit curve:red 1hr tendency:blue 3hrs tendency:green "
    "variations:grey";
inline constexpr std::size_t kCorrectionFieldChars = 20;
inline constexpr int kMaxCorrection = 99999; // what the six-character field of monitor.ini can hold

} // namespace baromon
