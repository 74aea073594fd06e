#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/display/Layout.h"
#include "platform/Canvas.h"
#include "platform/Files.h"

namespace baromon {

struct AppContext;

// One five-minute slot of the mean day: sums while loading, then means.
struct DiurnalBin {
  double pressure = 0;         // hundredths of a hPa
  double tendency1h = 0;       // tenths of a hPa, signed
  double tendency3h = 0;       // tenths of a hPa, signed
  double variation = 0;        // tenths of a hPa
  double fit = 0;              // the 12-hour wave at this slot, hundredths of a hPa
  double squaredDeviation = 0; // of this slot for the angle under test
  std::uint32_t count = 0;     // records that fell into this slot
};

constexpr int kDiurnalBins = 300;  // the table is cleared whole; only the day's slots are used
constexpr int kDiurnalSlots = 288; // 00:00-00:04 UTC is slot 0, 23:55-23:59 slot 287
constexpr std::uint32_t kDiurnalRecordCap = 32000;

// The mean day the diurnal window shows. Nothing in it survives the next paint.
struct DiurnalAnalysis {
  std::array<DiurnalBin, kDiurnalBins> bins{};
};

// Clears the table, folds the oldest records of monitor.txt (at most 32000) onto the
// day's slots and turns the sums into means. Returns the number of whole records in
// the file (capped), not the number binned; 0 when the log cannot be opened.
std::uint32_t loadDiurnalBins(platform::FileSystem& files, DiurnalAnalysis& analysis);

// Sets the fit of slots 0..287 to the 12-hour wave of amplitude 0.5 hPa at the angle.
void fillFitCurve(DiurnalAnalysis& analysis, double angleDegrees);

// True when some slot of the day received no record.
bool diurnalDataInsufficient(const DiurnalAnalysis& analysis);
// Mean of the 288 slot pressures, empty slots counting as 0.
double diurnalOverallMean(const DiurnalAnalysis& analysis);

// Tries every whole angle 0..359 and returns the one whose wave brings a single
// slot closest to 1013.20 hPa (first hit wins on ties), leaving the fit of that
// angle in the table. Returns 0 when no slot comes within 100 hPa.
double searchDiurnalPhase(DiurnalAnalysis& analysis);

// What the diurnal window says about one analysis: its two text lines and their figures.
struct DiurnalSummary {
  std::uint32_t records = 0; // whole records in the log, capped
  bool insufficient = true;  // some slot of the day is empty
  double mean = 0;           // of the slot pressures, hundredths of a hPa
  double angle = 0;          // phase angle of the 12-hour wave, degrees
  std::string dataLine;      // "... records of ... days analyzed ..." or "insufficient data ..."
  std::string phaseLine;     // "linear regression analysis: ..."
};

// Loads the bins and runs the phase search: everything the window shows but the drawing.
DiurnalSummary analyseDiurnalRhythm(platform::FileSystem& files, DiurnalAnalysis& analysis);

// A tick with, except at the zero line and hour 0, its label.
struct DiurnalTick {
  Segment line;
  std::optional<Label> label;
};

constexpr int kDiurnalCurves = 5; // pressure, fitted wave, 1-hour and 3-hour tendency, variation

// Everything the diurnal window shows, in pixels of its client area.
struct DiurnalLayout {
  Label dataLine;
  Rect plot;
  std::array<Polyline, 2> axes;        // the mean's line; the left edge from the mean up, then down
  std::vector<DiurnalTick> hourTicks;  // hours 0..23 under the plot
  std::vector<DiurnalTick> valueTicks; // 0, 1, ... 5 hPa, each above then below the mean
  std::vector<Segment> grid;           // dotted: the hours, then every 0.5 hPa either side
  // In the order above; without a full day only the pressure's start is shown.
  std::array<Curve, kDiurnalCurves> curves;
  Label phaseLine;
};

// How big the window's texts come out: the height of a text cell and a width no
// character of a tick label exceeds. Zero: every tick keeps its label.
struct DiurnalLettering {
  int cellHeight = 0;
  int charWidth = 0;
};

// The picture of one analysis (the bins after the phase search) for a client area.
// Where the labels of neighbouring ticks would touch in `lettering`, only every second
// (third, ...) tick keeps its label; the ticks and the grid stay.
DiurnalLayout layoutDiurnalRhythm(const DiurnalAnalysis& analysis, const DiurnalSummary& summary,
                                  platform::CanvasSize client, const DiurnalLettering& lettering = {});

// Runs the whole analysis and draws it into the diurnal window's client area. Always 1.
int paintDiurnalRhythm(AppContext& app, platform::Canvas& canvas);

} // namespace baromon
