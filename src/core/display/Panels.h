#pragma once

#include "platform/Canvas.h"

namespace baromon {

struct AppContext;

// The values window: pressure, tendencies, variation, temperature, voltage.
void paintValuesPanel(AppContext& app, platform::Canvas& dc);
// The converter window: the raw converter value and its statistics.
void paintConverterPanel(AppContext& app, platform::Canvas& dc);
// The main window in NMEA mode: the newest sentences, one per line. The number of
// lines follows from the main window's outer height in pixels. Cleans the rows
// it shows in app.nmea (control and non-ASCII bytes become blanks).
void paintNmeaList(AppContext& app, platform::Canvas& dc, int windowOuterHeight);
// The height-correction popup's prompt line.
void paintCorrectionPrompt(AppContext& app, platform::Canvas& dc);

// The fixed titles of the main window (and the diurnal window) for each data mode.
void setBarographTitles(AppContext& app);
void setNmeaTitle(AppContext& app);

} // namespace baromon
