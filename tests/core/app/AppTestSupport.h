#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestApp.h"

namespace baromon::testsupport {

// The event numbers of monitor.err in order ("... event # N text").
inline std::vector<int> eventsIn(const std::string& log) {
  std::vector<int> events;
  const std::string mark = "event # ";
  for (std::size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1)) {
    events.push_back(std::atoi(log.c_str() + at + mark.size()));
  }
  return events;
}

// `n` well-formed five-minute records, the newest last.
inline std::string logRecords(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    char line[96];
    const int minutes = i * 5;
    std::snprintf(line, sizeof line,
                  "%06d %02d.12.2026 %02d:%02d 1013,25 hPa +00,5 hPa/hr -01,0 hPa/3h 00,2 hPa/h var 0\r\n",
                  i + 1, 1 + minutes / 1440, (minutes / 60) % 24, minutes % 60);
    text += line;
  }
  return text;
}

} // namespace baromon::testsupport
