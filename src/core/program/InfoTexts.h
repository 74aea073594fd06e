#pragma once

#include <string>

namespace baromon {

// The text and caption of an information box (help, about, cable, data formats)
// in a language 0..5; the about text already carries version and release date.
struct InfoBox {
  std::string text;
  std::string caption;
};
InfoBox infoBoxFor(int commandId, int language);

// The one box of a monitor started where another one runs, in a language 0..5.
const char* anotherMonitorText(int language);

inline constexpr const char* kProgramVersion = "0.1.0";
inline constexpr const char* kReleaseDate = "08.12.2026";

} // namespace baromon
