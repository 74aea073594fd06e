#include <clocale>
#include <cstdio>
#include <string>

#include "assembly/CommandPlatform.h"
#include "assembly/ReadOnlyFiles.h"
#include "cli/Cli.h"
#include "cli/CommandSupport.h"
#include "core/analysis/Spectrum.h"
#include "core/state/AppContext.h"

namespace baromon::cli {

namespace {

struct SpectrumOptions {
  std::string out;  // a picture instead of the window
  std::string grab; // the window, grabbed into a PNG
  int width = 700;  // the window's client area
  int height = 420;
};

const char* const kUsage = "usage: dft [--out FILE.png|.svg|.pdf] [--size WxH] [--grab FILE.png]\n"
                           "The power spectrum of the air pressure in monitor.txt of the current directory,\n"
                           "with the 24-hour and 12-hour tides marked, in a window or into FILE.\n";

// 0 when usable, 2 after a message, -1 when the help was asked for.
int parseSpectrumArguments(int argc, char** argv, SpectrumOptions& options, std::FILE* err) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      return -1;
    }
    const bool takesValue = arg == "--out" || arg == "--size" || arg == "--grab";
    if (!takesValue || i + 1 >= argc) {
      std::fprintf(err, "dft: unknown or incomplete argument '%s'\n%s", arg.c_str(), kUsage);
      return 2;
    }
    const std::string value = argv[++i];
    if (arg == "--out") {
      options.out = value;
    } else if (arg == "--grab") {
      options.grab = value;
    } else if (!parseSize(value, kPictureSizes, options.width, options.height)) {
      std::fprintf(err, "dft: --size takes WxH from %dx%d to %dx%d, e.g. 700x420\n", kPictureSizes.minWidth,
                   kPictureSizes.minHeight, kPictureSizes.maxWidth, kPictureSizes.maxHeight);
      return 2;
    }
  }
  return 0;
}

} // namespace

int runSpectrumProgram(int argc, char** argv, const SpectrumFrontEnd& frontEnd) {
  SpectrumOptions options;
  const int parsed = parseSpectrumArguments(argc, argv, options, stderr);
  if (parsed != 0) {
    if (parsed < 0) {
      std::fputs(kUsage, stdout);
    }
    return parsed < 0 ? 0 : parsed;
  }
  // A reader beside the monitor: nothing in the directory is created or changed.
  assembly::CommandPlatform command(stderr);
  assembly::ReadOnlyFiles files(command.files);
  AppContext app{command.services(files)};
  loadSettingsOrDefaults(app);
  const int language = app.settings.language;
  const SpectrumTexts& texts = spectrumTexts(language);

  const SpectrumAnalysis analysis = analyseSpectrum(files, frontEnd.transform());
  const std::string problem = spectrumProblem(analysis, language);
  if (!problem.empty()) {
    std::fprintf(stderr, "dft: %s\n", problem.c_str());
    if (options.out.empty() && options.grab.empty()) {
      frontEnd.showError(problem, texts.title);
    }
    return 1;
  }
  // The summary and the two tides as the picture says them, for a reader without one.
  for (const Label& line : layoutSpectrum(analysis, language, {options.width, options.height}).lines) {
    std::printf("%s\n", line.text.c_str());
  }
  std::fflush(stdout);

  const PaintFunction paint = [&](platform::Canvas& canvas) {
    std::setlocale(LC_NUMERIC, "C");
    paintSpectrum(layoutSpectrum(analysis, language, canvas.size()), command.graphics, canvas);
  };
  if (!options.out.empty()) {
    const std::string error =
        frontEnd.writePicture(command.graphics, options.out, options.width, options.height, paint);
    if (!error.empty()) {
      std::fprintf(stderr, "dft: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  return frontEnd.showWindow(command.graphics, texts.title, options.width, options.height, paint,
                             options.grab);
}

} // namespace baromon::cli
