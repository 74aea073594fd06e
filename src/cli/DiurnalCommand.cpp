#include <clocale>
#include <cstdio>
#include <string>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "assembly/CommandPlatform.h"
#include "core/analysis/DiurnalRhythm.h"
#include "core/state/AppContext.h"
#include "core/display/DrawingResources.h"

namespace baromon::cli {

int parseDiurnalArguments(int argc, char** argv, DiurnalOptions& options, std::FILE* err) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--size") {
      if (i + 1 >= argc || !parseSize(argv[i + 1], kPictureSizes, options.width, options.height)) {
        std::fprintf(err, "baromon: diurnal --size takes WxH from %dx%d to %dx%d, e.g. 500x250\n",
                     kPictureSizes.minWidth, kPictureSizes.minHeight, kPictureSizes.maxWidth,
                     kPictureSizes.maxHeight);
        return 2;
      }
      ++i;
    } else if (arg.rfind("--", 0) == 0 || !options.picture.empty()) {
      std::fprintf(err, "baromon: diurnal takes [OUT] [--size WxH], not '%s'\n", arg.c_str());
      return 2;
    } else {
      options.picture = arg;
    }
  }
  return 0;
}

int runDiurnal(const DiurnalOptions& options, std::FILE* out, std::FILE* err, PictureWriter writePicture) {
  assembly::CommandPlatform command(err);
  AppContext app{command.services()};
  loadSettingsOrDefaults(app);

  DiurnalSummary summary = analyseDiurnalRhythm(app.platform.files, app.diurnal);
  std::fprintf(out, "%s\n%s\n", summary.dataLine.c_str(), summary.phaseLine.c_str());
  std::fflush(out);
  if (options.picture.empty()) {
    return 0;
  }
  if (writePicture == nullptr) {
    std::fputs("baromon: diurnal: this build cannot write pictures (built without Qt)\n", err);
    return 1;
  }
  createScreenPens(app);
  std::string error = writePicture(command.graphics, options.picture, options.width, options.height,
                                   [&app](platform::Canvas& canvas) {
                                     // The toolkit takes the user's locale when it starts; the window's
                                     // numbers keep their point.
                                     std::setlocale(LC_NUMERIC, "C");
                                     paintDiurnalRhythm(app, canvas);
                                   });
  if (!error.empty()) {
    std::fprintf(err, "baromon: diurnal: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

} // namespace baromon::cli
