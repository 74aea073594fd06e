#pragma once

#include <functional>
#include <string>
#include <vector>

namespace baromon {
struct AppContext;
}

namespace baromon::platform {

// What a headless monitor says once it has started, in one line on standard error: what
// it reads (known only after start-up, when the settings have chosen the port), the
// directory, and each thing it serves, as the assembly lists them.
struct StartAnnouncement {
  std::function<std::string(const AppContext&)> source; // "COM2 = tcp://boat:10110"
  std::vector<std::string> serving;                     // "NMEA 0183 over TCP on every address, port 10111"
};
// "baromon: reading SOURCE in DIRECTORY (MODE); serving A, B" (or "serving nothing").
std::string startLine(const AppContext& app, const StartAnnouncement& announcement,
                      const std::string& directory);

} // namespace baromon::platform
