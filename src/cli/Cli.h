#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "assembly/Monitor.h"
#include "assembly/NativePlatform.h"
#include "core/analysis/Spectrum.h"
#include "platform/Canvas.h"

namespace baromon::cli {

// Options that hold for the monitor and every subcommand.
struct GeneralOptions {
  // COM1..COM8 to devices: `--port n=PATH`, else BAROMON_COMn, else the system's default.
  assembly::PortMap ports;
  // Run without windows (message boxes to standard error).
  bool headless = false;
  // `--serve-nmea [ADDR:]PORT`: serve the pressure to chart plotters (empty: off).
  std::string serveNmea;
  // `--serve-http [ADDR:]PORT`: the web page, API and metrics (empty: off).
  std::string serveHttp;
  // `--on-alarm CMD`: run CMD at each fast-fall alarm (empty: none).
  std::string onAlarm;
  // `--mqtt URL`, `--mqtt-password-file FILE`, `--mqtt-ca FILE`, `--station NAME`: publish
  // to a message broker (empty: off; the station defaults to the host name).
  std::string mqtt;
  std::string mqttPasswordFile;
  std::string mqttCa;
  std::string station;
};

// Paints a width x height picture into `path` (its kind by the extension); "" on
// success, else what went wrong.
using PaintFunction = std::function<void(platform::Canvas&)>;
using PictureWriter = std::string (*)(platform::GraphicsObjects& objects, const std::string& path, int width,
                                      int height, const PaintFunction& paint);

// What windows and pictures are made with. The logger (`baromon`) has none: it hands
// PNG pictures to the picture program (assembly::handOverToPictureProgram) and the rest to the
// front-end program (assembly::handOverToFrontEnd), which passes Qt's. A null entry goes on
// to the front-end program.
struct FrontEnd {
  int (*runWindowedMonitor)(int argc, char** argv, const assembly::PortMap& ports,
                            const assembly::MonitorOptions& options);
  int (*print)(int argc, char** argv, std::FILE* out, std::FILE* err);
  PictureWriter writePicture;
  // Whether writePicture makes the file `path` (its kind, what it needs); null: every kind.
  bool (*writes)(const std::string& path);
};

// The front end's own, in `baromon-gui` only.
const FrontEnd& qtFrontEnd();
// The picture program's (`baromon-pictures`): PNG pictures without a toolkit; windows,
// printing and the other kinds of picture go on to the front end.
const FrontEnd& pictureFrontEnd();
// The Windows program's: it is its own front end (GDI windows, pictures and printers).
const FrontEnd& win32FrontEnd();

// What the spectrum program (`dft`) computes and shows with: `showWindow` runs the window until it is closed (with `grabTo`,
// grabs it into that PNG instead); `showError` shows a box.
struct SpectrumFrontEnd {
  PowerTransform& (*transform)();
  PictureWriter writePicture;
  int (*showWindow)(platform::GraphicsObjects& objects, const std::string& title, int width, int height,
                    const PaintFunction& paint, const std::string& grabTo);
  void (*showError)(const std::string& text, const std::string& caption);
};
// The Linux program's: FFTW, PNG files without a toolkit, a Qt window.
const SpectrumFrontEnd& spectrumFrontEnd();

// `dft [--out FILE] [--size WxH] [--grab FILE]`: the spectrum of monitor.txt in the
// current directory; 0 when shown or written, 1 when there is nothing to show or the
// picture cannot be written, 2 for unusable arguments.
int runSpectrumProgram(int argc, char** argv, const SpectrumFrontEnd& frontEnd);

// Parses the command line and runs the monitor or a subcommand; returns the exit status.
// Without a front end, windows and pictures are handed to the front-end program.
int run(int argc, char** argv, const FrontEnd* frontEnd);

} // namespace baromon::cli
