#include "app/FrontEndHandOver.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#ifndef BAROMON_INSTALLED_FRONT_END
#define BAROMON_INSTALLED_FRONT_END "/usr/libexec/baromon/baromon-gui"
#endif

namespace baromon::app {

namespace {

// The folder of the running program's file (links resolved), or "" when unknown.
std::string ownFolder() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    return {};
  }
  const std::string self(path, static_cast<std::size_t>(length));
  const auto slash = self.rfind('/');
  return slash == std::string::npos ? std::string() : self.substr(0, slash);
}

} // namespace

int handOverToFrontEnd(char** argv) {
  std::string places[3];
  std::size_t count = 0;
  if (const std::string folder = ownFolder(); !folder.empty()) {
    places[count++] = folder + "/baromon-gui";                    // the build tree
    places[count++] = folder + "/../libexec/baromon/baromon-gui"; // an installation moved elsewhere
  }
  places[count++] = BAROMON_INSTALLED_FRONT_END;
  for (std::size_t i = 0; i < count; ++i) {
    if (::access(places[i].c_str(), X_OK) != 0) {
      continue;
    }
    // Nothing was written yet, but a buffer left behind would be lost with this image.
    std::fflush(nullptr);
    ::execv(places[i].c_str(), argv);
    std::fprintf(stderr, "baromon: cannot start the front end %s: %s\n", places[i].c_str(),
                 std::strerror(errno));
    return 126;
  }
  std::fputs("baromon: windows and pictures are made by baromon-gui (the package baromon), which is not "
             "installed (looked for beside this program and in " BAROMON_INSTALLED_FRONT_END
             "); without it, run the monitor with --headless\n",
             stderr);
  return 127;
}

} // namespace baromon::app
