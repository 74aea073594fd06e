#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/analysis/Spectrum.h"
#include "core/config/Settings.h"

namespace baromon {

namespace {

// German, English, French, Dutch, Italian, Spanish, in Windows-1252.
constexpr SpectrumTexts kTexts[kLanguageCount] = {
    {"Luftdruckspektrum", "Schwingungen pro Tag", "Leistung hPa\xB2",
     "%.1f Tage ausgewertet, %u L\xFC"
     "cken \xFC"
     "berbr\xFC"
     "ckt",
     "monitor.txt fehlt oder ist nicht lesbar", "monitor.txt enth\xE4lt keine g\xFCltigen Datens\xE4tze",
     "zu wenig Daten: mindestens ein Tag ohne lange L\xFC"
     "cke n\xF6tig"},
    {"Air pressure spectrum", "cycles per day", "power hPa\xB2", "%.1f days analysed, %u gaps bridged",
     "monitor.txt is missing or cannot be read", "monitor.txt holds no valid record",
     "insufficient data: at least one day without a long gap needed"},
    {"Spectre de la pression", "cycles par jour", "puissance hPa\xB2",
     "%.1f jours analys\xE9s, %u lacunes combl\xE9"
     "es",
     "monitor.txt manque ou est illisible", "monitor.txt ne contient aucun enregistrement valide",
     "donn\xE9"
     "es insuffisantes : il faut au moins un jour sans longue lacune"},
    {"Luchtdrukspectrum", "cycli per dag", "vermogen hPa\xB2", "%.1f dagen geanalyseerd, %u gaten overbrugd",
     "monitor.txt ontbreekt of is onleesbaar", "monitor.txt bevat geen geldige records",
     "onvoldoende gegevens: minstens een dag zonder lang gat nodig"},
    {"Spettro della pressione", "cicli al giorno", "potenza hPa\xB2",
     "%.1f giorni analizzati, %u lacune colmate", "monitor.txt manca o non \xE8 leggibile",
     "monitor.txt non contiene record validi",
     "dati insufficienti: serve almeno un giorno senza lunghe lacune"},
    {"Espectro de la presi\xF3n",
     "ciclos por d\xED"
     "a",
     "potencia hPa\xB2",
     "%.1f d\xED"
     "as analizados, %u huecos rellenados",
     "falta monitor.txt o no se puede leer", "monitor.txt no contiene registros v\xE1lidos",
     "datos insuficientes: se necesita al menos un d\xED"
     "a sin huecos largos"},
};

// The stock font's cell and a digit's width, for placing labels without a canvas.
constexpr int kLineHeight = 16;
constexpr int kCharWidth = 8;
constexpr int kDecades = 6;

struct Frame {
  Rect plot;
  int topDecade = 0;

  int x(double cyclesPerDay) const {
    return plot.left + static_cast<int>((plot.right - plot.left) * cyclesPerDay / kShownCyclesPerDay);
  }
  int y(double power) const {
    const double lowest = topDecade - kDecades;
    const double decade = power > 0 ? std::clamp(std::log10(power), lowest, double(topDecade)) : lowest;
    return plot.top + static_cast<int>((plot.bottom - plot.top) * (topDecade - decade) / kDecades);
  }
};

int topDecadeOf(const std::vector<double>& power) {
  double most = 0;
  for (std::size_t k = 1; k < power.size(); ++k) {
    most = std::max(most, power[k]);
  }
  return most > 0 ? static_cast<int>(std::ceil(std::log10(most))) : 0;
}

void layoutAxes(SpectrumLayout& l, const Frame& f, const SpectrumTexts& texts) {
  for (int d = 0; d <= kDecades; ++d) {
    const int y = f.plot.top + (f.plot.bottom - f.plot.top) * d / kDecades;
    l.grid.push_back({{f.plot.left, y}, {f.plot.right, y}});
    char text[16];
    std::snprintf(text, sizeof text, "1e%d", f.topDecade - d);
    const int width = static_cast<int>(std::string(text).size()) * kCharWidth;
    l.labels.push_back({{f.plot.left - 6 - width, y - kLineHeight / 2}, text});
  }
  for (int c = 0; c <= static_cast<int>(kShownCyclesPerDay); ++c) {
    const int x = f.x(c);
    l.grid.push_back({{x, f.plot.bottom}, {x, f.plot.bottom + 5}});
    l.labels.push_back({{x - kCharWidth / 2, f.plot.bottom + 7}, std::to_string(c)});
  }
  const int captionWidth = static_cast<int>(std::string(texts.xCaption).size()) * kCharWidth;
  l.labels.push_back(
      {{(f.plot.left + f.plot.right - captionWidth) / 2, f.plot.bottom + 7 + kLineHeight}, texts.xCaption});
  l.labels.push_back({{4, f.plot.top - kLineHeight - 4}, texts.yCaption});
}

void layoutTides(SpectrumLayout& l, const Frame& f, const Spectrum& s) {
  const struct {
    double cycles;
    const char* name;
  } tides[] = {{1.0, "24 h"}, {2.0, "12 h"}};
  for (const auto& tide : tides) {
    const int x = f.x(tide.cycles);
    l.tideMarks.push_back({{x, f.plot.top}, {x, f.plot.bottom}});
    l.tideLabels.push_back({{x + 3, f.plot.top + 2}, tide.name});
  }
  l.lines.push_back({{10, 20}, tideLine("24 h", s.diurnal) + "    " + tideLine("12 h", s.semidiurnal)});
}

} // namespace

const SpectrumTexts& spectrumTexts(int language) { return inLanguage(kTexts, language); }

std::string spectrumProblem(const SpectrumAnalysis& analysis, int language) {
  const SpectrumTexts& t = spectrumTexts(language);
  switch (analysis.status) {
  case SpectrumStatus::Done:
    return "";
  case SpectrumStatus::NoLog:
    return t.noLog;
  case SpectrumStatus::NoRecords:
    return t.noRecords;
  case SpectrumStatus::TooShort:
    break;
  }
  return t.tooShort;
}

std::string tideLine(const char* name, const SpectrumPeak& peak) {
  char text[64];
  std::snprintf(text, sizeof text, "%s: %.2f hPa (%.1f h)", name, peak.amplitude, peak.periodHours);
  return text;
}

SpectrumLayout layoutSpectrum(const SpectrumAnalysis& analysis, int language, platform::CanvasSize size) {
  SpectrumLayout l;
  const SpectrumTexts& texts = spectrumTexts(language);
  const std::string problem = spectrumProblem(analysis, language);
  if (!problem.empty()) {
    l.lines.push_back({{10, 2}, problem});
    return l;
  }
  const Spectrum& s = analysis.spectrum;
  char summary[160];
  std::snprintf(summary, sizeof summary, texts.summary, s.days,
                static_cast<unsigned>(analysis.series.bridgedGaps));
  l.lines.push_back({{10, 2}, summary});

  Frame f;
  f.plot = Rect{70, 60, std::max(71, size.width - 20), std::max(61, size.height - 45)};
  f.topDecade = topDecadeOf(s.power);
  l.plot = f.plot;
  layoutAxes(l, f, texts);
  for (std::size_t k = 0; k < s.power.size(); ++k) {
    const double cycles = static_cast<double>(k) * s.cyclesPerDayPerBin;
    if (cycles > kShownCyclesPerDay) {
      break;
    }
    // Bin 0 is the removed mean: it starts the curve at the floor.
    l.curve.push_back({f.x(cycles), f.y(k == 0 ? 0.0 : s.power[k])});
  }
  layoutTides(l, f, s);
  return l;
}

void paintSpectrum(const SpectrumLayout& l, platform::GraphicsObjects& objects, platform::Canvas& canvas) {
  using platform::PenSpec;
  using platform::PenStyle;
  const auto grey = objects.create(PenSpec{PenStyle::Solid, 1, {192, 192, 192}});
  const auto blue = objects.create(PenSpec{PenStyle::Solid, 1, {0, 0, 192}});
  const auto red = objects.create(PenSpec{PenStyle::Dot, 1, {192, 0, 0}});
  const auto black = objects.stockBlackPen();
  canvas.select(grey);
  canvas.setBackgroundMode(platform::BackgroundMode::Transparent);
  for (const Segment& s : l.grid) {
    drawSegment(canvas, s);
  }
  canvas.select(red);
  for (const Segment& s : l.tideMarks) {
    drawSegment(canvas, s);
  }
  canvas.select(black);
  if (l.plot.right > l.plot.left) {
    drawPolyline(canvas, Polyline{{l.plot.left, l.plot.top},
                                  {l.plot.right, l.plot.top},
                                  {l.plot.right, l.plot.bottom},
                                  {l.plot.left, l.plot.bottom},
                                  {l.plot.left, l.plot.top}});
  }
  canvas.select(blue);
  drawPolyline(canvas, l.curve);
  canvas.select(black);
  for (const auto& labels : {l.labels, l.lines}) {
    for (const Label& label : labels) {
      canvas.textOut(label.at.x, label.at.y, label.text);
    }
  }
  canvas.setTextColour({192, 0, 0});
  for (const Label& label : l.tideLabels) {
    canvas.textOut(label.at.x, label.at.y, label.text);
  }
  for (auto pen : {grey, blue, red}) {
    objects.destroy(pen);
  }
}

} // namespace baromon
