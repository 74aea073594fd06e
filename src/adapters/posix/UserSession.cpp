#include "adapters/posix/UserSession.h"

#include <cstdlib>

#include "adapters/posix/HeadlessWindows.h"

namespace baromon::platform {

std::string PosixUserLocale::messagesLocale() const {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return {};
}

void StreamEventSink::eventReported(int code, const std::string& text) {
  const std::string shown = bytes_ == TextBytes::Utf8 ? windows1252ToUtf8(text) : text;
  std::fprintf(out_, "baromon: event %d: %s\n", code, shown.c_str());
  std::fflush(out_);
}

} // namespace baromon::platform
