#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "adapters/fftw/FftwTransform.h"
#include "core/analysis/Spectrum.h"
#include "support/TempDir.h"
#include "support/TideLog.h"

namespace {

using baromon::fakes::TempDir;

// FFTW gives the plain sum's bins, for even and odd lengths and fewer bins than there are.
TEST(FftwTransform, AgreesWithThePlainSum) {
  for (std::size_t n : {1u, 2u, 997u, 1000u, 2880u}) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
      x[i] = std::sin(0.37 * static_cast<double>(i)) + 0.01 * static_cast<double>(i % 7);
    }
    baromon::DirectPowerTransform direct;
    baromon::fftw::FftwTransform fftw;
    for (std::size_t bins : {std::size_t{1}, n / 3 + 1, n}) {
      const auto want = direct.power(x, bins);
      const auto got = fftw.power(x, bins);
      ASSERT_EQ(got.size(), want.size()) << n << " " << bins;
      for (std::size_t k = 0; k < want.size(); ++k) {
        ASSERT_NEAR(got[k], want[k], 1e-6 * (1 + want[k])) << "n " << n << " bin " << k;
      }
    }
  }
  EXPECT_TRUE(baromon::fftw::FftwTransform().power({}, 5).empty());
}

// Columns of the tide marks (dotted red) and of the curve's highest point (blue).
struct Marks {
  std::vector<int> tideColumns;
  int peakColumn = -1;
  int peakRow = 1 << 30;
};

Marks marksOf(const QImage& image) {
  Marks m;
  for (int x = 0; x < image.width(); ++x) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
      const QColor c = image.pixelColor(x, y);
      if (c == QColor(192, 0, 0)) {
        ++red;
      }
      if (c == QColor(0, 0, 192) && y < m.peakRow) {
        m.peakRow = y;
        m.peakColumn = x;
      }
    }
    if (red > image.height() / 4) {
      m.tideColumns.push_back(x);
    }
  }
  return m;
}

int run(const TempDir& dir, const std::string& args) {
  const std::string command = "cd '" + dir.path() + "' && QT_QPA_PLATFORM=offscreen '" BAROMON_DFT_EXE "' " +
                              args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The picture of a log with a strong 12-hour tide: the curve peaks on the 12-hour mark,
// right of the 24-hour one. The window, grabbed, is the same picture (kept under
// build/test-artefacts/ as the spectrum window's screenshot).
TEST(SpectrumWindow, PeaksOnTheTwelveHourMarkInTheFileAndTheWindow) {
  TempDir dir;
  dir.write("monitor.txt", baromon::testlog::tideLog(20 * 288, {1.5, 0.3, 6.0}));
  ASSERT_EQ(run(dir, "--out s.png"), 0);
  QImage file(QString::fromStdString(dir.file("s.png")));
  ASSERT_FALSE(file.isNull());
  EXPECT_EQ(file.size(), QSize(700, 420));
  const Marks m = marksOf(file);
  ASSERT_EQ(m.tideColumns.size(), 2u);
  EXPECT_NEAR(m.peakColumn, m.tideColumns[1], 1);

  std::filesystem::create_directories(BAROMON_TEST_ARTEFACTS);
  const std::string shot = std::string(BAROMON_TEST_ARTEFACTS) + "/spectrum-window.png";
  ASSERT_EQ(run(dir, "--grab '" + shot + "'"), 0);
  QImage window(QString::fromStdString(shot));
  ASSERT_FALSE(window.isNull());
  EXPECT_EQ(window.size(), QSize(700, 420));
  const Marks w = marksOf(window.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(w.tideColumns, m.tideColumns);
  EXPECT_EQ(w.peakColumn, m.peakColumn);
  EXPECT_EQ(w.peakRow, m.peakRow);
}

} // namespace
