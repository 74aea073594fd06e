#include "assembly/FrontEndHandOver.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#ifndef BAROMON_INSTALLED_FRONT_END
#define BAROMON_INSTALLED_FRONT_END "/usr/libexec/baromon/baromon-gui"
#endif
#ifndef BAROMON_INSTALLED_PICTURE_PROGRAM
#define BAROMON_INSTALLED_PICTURE_PROGRAM "/usr/libexec/baromon/baromon-pictures"
#endif

namespace baromon::assembly {

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

namespace {

enum class Found { None, NotStarted }; // a program started never returns

// Replaces this program by `name`, looked for beside it (the build tree), in
// ../libexec/baromon/ from there (an installation moved elsewhere), then at `installed`.
// Returns only when there is none or it could not be started (after a message).
Found replaceBy(const char* name, const char* installed, char** argv) {
  std::string places[3];
  std::size_t count = 0;
  if (const std::string folder = ownFolder(); !folder.empty()) {
    places[count++] = folder + "/" + name;
    places[count++] = folder + "/../libexec/baromon/" + name;
  }
  places[count++] = installed;
  for (std::size_t i = 0; i < count; ++i) {
    if (::access(places[i].c_str(), X_OK) != 0) {
      continue;
    }
    // Nothing was written yet, but a buffer left behind would be lost with this image.
    std::fflush(nullptr);
    ::execv(places[i].c_str(), argv);
    std::fprintf(stderr, "baromon: cannot start %s: %s\n", places[i].c_str(), std::strerror(errno));
    return Found::NotStarted;
  }
  return Found::None;
}

} // namespace

int handOverToFrontEnd(char** argv) {
  if (replaceBy("baromon-gui", BAROMON_INSTALLED_FRONT_END, argv) == Found::NotStarted) {
    return 126;
  }
  std::fputs("baromon: windows and pictures are made by baromon-gui (the package baromon), which is not "
             "installed (looked for beside this program and in " BAROMON_INSTALLED_FRONT_END
             "); without it, run the monitor with --headless\n",
             stderr);
  return 127;
}

int handOverToPictureProgram(char** argv) {
  if (replaceBy("baromon-pictures", BAROMON_INSTALLED_PICTURE_PROGRAM, argv) == Found::NotStarted) {
    return 126;
  }
  return handOverToFrontEnd(argv);
}

} // namespace baromon::assembly
