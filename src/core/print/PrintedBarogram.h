#pragma once

namespace baromon {

struct AppContext;

// Draws the loaded History as a barogram onto the started page of the chosen
// printer, landscape when the printable area is at least as wide as high, else
// turned by 90 degrees with time running down the page.
void drawPrintedBarogram(AppContext& app);

} // namespace baromon
