#include "assembly/StartLine.h"

#include "core/state/AppContext.h"

namespace baromon::platform {

std::string startLine(const AppContext& app, const StartAnnouncement& announcement,
                      const std::string& directory) {
  std::string line = "baromon: reading ";
  line += announcement.source ? announcement.source(app) : app.serial.portName;
  line += " in " + directory;
  line += isKxMode(app.settings.dataMode) ? " (KX mode, monitor.txt)" : " (NMEA mode, nmea.txt)";
  line += "; serving ";
  if (announcement.serving.empty()) {
    line += "nothing";
  }
  for (std::size_t i = 0; i < announcement.serving.size(); ++i) {
    line += (i == 0 ? "" : ", ") + announcement.serving[i];
  }
  return line;
}

} // namespace baromon::platform
