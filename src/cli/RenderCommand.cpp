#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "assembly/CommandPlatform.h"
#include "assembly/ReadOnlyFiles.h"
#include "core/state/AppContext.h"
#include "core/config/Settings.h"
#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "core/store/Store.h"

namespace baromon::cli {

namespace {

bool parseInt(const char* text, long low, long high, int& out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) {
    return false;
  }
  out = static_cast<int>(value);
  return true;
}

} // namespace

int parseRenderArguments(int argc, char** argv, RenderOptions& options, std::FILE* err) {
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(err, "baromon render: %s needs a value\n", name);
        return nullptr;
      }
      return argv[++i];
    };
    if (arg == "--paper") {
      options.paper = true;
    } else if (arg == "--size") {
      const char* v = value("--size");
      if (v == nullptr) {
        return 2;
      }
      if (!parseSize(v, kPictureSizes, options.width, options.height)) {
        std::fprintf(err, "baromon render: --size takes WxH from %dx%d to %dx%d (not '%s')\n",
                     kPictureSizes.minWidth, kPictureSizes.minHeight, kPictureSizes.maxWidth,
                     kPictureSizes.maxHeight, v);
        return 2;
      }
    } else if (arg == "--offset") {
      const char* v = value("--offset");
      if (v == nullptr) {
        return 2;
      }
      if (!parseInt(v, 1, 999999, options.offset)) {
        std::fprintf(err, "baromon render: --offset takes a whole number from 1 (not '%s')\n", v);
        return 2;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(err, "baromon render: unknown option '%s'\n", arg.c_str());
      return 2;
    } else if (options.out.empty()) {
      options.out = arg;
    } else {
      std::fprintf(err, "baromon render: only one output file, not also '%s'\n", arg.c_str());
      return 2;
    }
  }
  if (options.out.empty()) {
    std::fputs("usage: baromon render OUT.png|OUT.svg|OUT.pdf [--size WxH] [--paper] [--offset N]\n", err);
    return 2;
  }
  return 0;
}

int runRender(const RenderOptions& options, std::FILE* err, PictureWriter writePicture) {
  assembly::CommandPlatform command(err); // a box (a fatal font error) is told on stderr
  assembly::ReadOnlyFiles files(command.files);
  auto app = std::make_unique<AppContext>(command.services(files));
  if (loadSettings(*app) == 0) {
    applyDefaultSettings(app->settings);
  }
  if (options.paper) {
    app->settings.paperLook = 1;
  }
  app->view.scrollOffset = options.offset;
  loadHistory(*app); // a missing monitor.txt leaves an empty barogram
  createScreenPens(*app);
  const std::string problem = writePicture(command.graphics, options.out, options.width, options.height,
                                           [&](platform::Canvas& dc) { paintBarogram(*app, dc); });
  if (!problem.empty()) {
    std::fprintf(err, "baromon render: %s\n", problem.c_str());
    return 1;
  }
  return 0;
}

} // namespace baromon::cli
