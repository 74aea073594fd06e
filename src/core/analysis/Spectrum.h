#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/display/Layout.h"
#include "platform/Canvas.h"
#include "platform/Files.h"

// The power spectrum of the logged pressure, for the spectrum program `dft`: the log read
// once and let go, the pressure on the five-minute grid, the spectrum through a
// transform the program chooses, and the picture as numbers before it is drawn.
namespace baromon {

// The squared magnitudes |X_k|^2, k = 0..bins-1, of the discrete Fourier transform of
// real samples. FFTW's on Linux; the plain sum where no FFT library is built.
class PowerTransform {
public:
  virtual ~PowerTransform() = default;
  virtual std::vector<double> power(const std::vector<double>& samples, std::size_t bins) = 0;
};

// The sum itself, O(samples x bins): only the few bins that are shown are computed.
class DirectPowerTransform : public PowerTransform {
public:
  std::vector<double> power(const std::vector<double>& samples, std::size_t bins) override;
};

inline constexpr int kSlotsPerDay = 288; // five-minute records
// Gaps up to this many missing slots (3 hours) are bridged by a straight line; a longer
// one would put a made-up line where a tide should be, and splits the log instead.
inline constexpr int kLongestBridgedGap = 36;
// The newest year at most: the tides are resolved long before, and the plain sum stays quick.
inline constexpr std::size_t kMostSpectrumSlots = std::size_t{366} * kSlotsPerDay;
// Shown and searched up to six cycles a day (periods down to four hours).
inline constexpr double kShownCyclesPerDay = 6.0;
// A reading outside these hundredths of a hPa is no air pressure (an empty or broken record).
inline constexpr std::int32_t kLowestPlausiblePressure = 50000;
inline constexpr std::int32_t kHighestPlausiblePressure = 120000;

// One record's time (five-minute slots since 1970, UTC) and pressure.
struct TimedPressure {
  std::int64_t slot = 0;
  std::int32_t pressure = 0; // hundredths of a hPa
};

// The valid records of monitor.txt in file order, read leniently (a record shifted off the
// 80-byte grid by a cut write is still found). The file is closed before anything is
// decoded. Nothing when it cannot be opened.
std::optional<std::vector<TimedPressure>> readLogPressures(platform::FileSystem& files);

// The pressure on an unbroken five-minute grid, in hPa.
struct PressureSeries {
  std::vector<double> hPa;
  std::int64_t firstSlot = 0;
  std::size_t bridgedGaps = 0;  // gaps filled by a straight line
  std::size_t bridgedSlots = 0; // slots so filled
  std::size_t stretches = 0;    // pieces the long gaps cut the log into
  std::size_t usedRecords = 0;  // plausible records in the log
};

// The records sorted by time (a slot logged twice keeps its last record), short gaps
// bridged, and of the stretches between long gaps the longest (the newest of equals),
// cut to its newest kMostSpectrumSlots.
PressureSeries pressureSeries(std::vector<TimedPressure> records);

// The strongest bin near a tide.
struct SpectrumPeak {
  double cyclesPerDay = 0;
  double periodHours = 0;
  double amplitude = 0; // hPa, of the sine wave that would give this bin
};

struct Spectrum {
  double days = 0;               // length of the analysed series
  double cyclesPerDayPerBin = 0; // bin k lies at k times this
  std::vector<double> power;     // hPa^2 per bin (mean square of the wave), bin 0 first
  SpectrumPeak diurnal;          // near one cycle a day
  SpectrumPeak semidiurnal;      // near two
};

// The series less its least-squares line, under a Hann window, through `transform`; the
// bins up to kShownCyclesPerDay scaled so that a sine of amplitude A on a bin gives A^2/2.
// Needs at least one day of samples (empty power otherwise).
Spectrum computeSpectrum(const PressureSeries& series, PowerTransform& transform);

// The strongest bin within a quarter cycle a day of `cyclesPerDay`.
SpectrumPeak peakNear(const Spectrum& spectrum, double cyclesPerDay);

enum class SpectrumStatus {
  Done,
  NoLog,     // monitor.txt cannot be opened
  NoRecords, // it holds no valid record
  TooShort,  // less than one day without a long gap
};

struct SpectrumAnalysis {
  SpectrumStatus status = SpectrumStatus::NoLog;
  PressureSeries series;
  Spectrum spectrum;
};

SpectrumAnalysis analyseSpectrum(platform::FileSystem& files, PowerTransform& transform);

// The program's texts in a monitor language (Windows-1252).
struct SpectrumTexts {
  const char* title;    // the window's
  const char* xCaption; // cycles per day
  const char* yCaption; // power in hPa^2
  const char* summary;  // printf: days (double), bridged gaps (size_t)
  const char* noLog;
  const char* noRecords;
  const char* tooShort;
};
const SpectrumTexts& spectrumTexts(int language);
// What the program says instead of a spectrum ("" when it has one).
std::string spectrumProblem(const SpectrumAnalysis& analysis, int language);
// One line for a tide: "24 h: 0.42 hPa (23.8 h)".
std::string tideLine(const char* name, const SpectrumPeak& peak);

// The picture as numbers.
struct SpectrumLayout {
  Rect plot;
  std::vector<Segment> grid; // decade lines and day ticks
  std::vector<Label> labels; // axis numbers and captions
  Polyline curve;
  std::vector<Segment> tideMarks; // dotted at 1 and 2 cycles a day
  std::vector<Label> tideLabels;
  std::vector<Label> lines; // the text lines above the plot (summary, or the problem)
};

SpectrumLayout layoutSpectrum(const SpectrumAnalysis& analysis, int language, platform::CanvasSize size);
void paintSpectrum(const SpectrumLayout& layout, platform::GraphicsObjects& objects,
                   platform::Canvas& canvas);

} // namespace baromon
