#include "core/store/ExportRows.h"

#include <cstdio>

namespace baromon {

void appendTenths(std::string& text, std::int32_t tenths, bool withSign) {
  char part[24];
  const long magnitude = tenths < 0 ? -static_cast<long>(tenths) : tenths;
  const char* sign = withSign ? (tenths < 0 ? "-" : "+") : (tenths < 0 ? "-" : "");
  std::snprintf(part, sizeof part, "%s%ld.%ld", sign, magnitude / 10, magnitude % 10);
  text += part;
}

void appendHundredths(std::string& text, std::int32_t hundredths) {
  char part[24];
  const long magnitude = hundredths < 0 ? -static_cast<long>(hundredths) : hundredths;
  std::snprintf(part, sizeof part, "%s%ld.%02ld", hundredths < 0 ? "-" : "", magnitude / 100,
                magnitude % 100);
  text += part;
}

std::string exportCsvRow(const LastDecodedRecord& r, bool valid) {
  const HistorySample& s = r.sample;
  char head[64];
  std::snprintf(head, sizeof head, "%u,%04d-%02u-%02u,%02u:%02u,", static_cast<unsigned>(r.counter),
                static_cast<int>(s.year), static_cast<unsigned>(s.month), static_cast<unsigned>(s.day),
                static_cast<unsigned>(s.hour), static_cast<unsigned>(s.minute));
  std::string row = head;
  appendHundredths(row, s.pressure);
  row += ',';
  appendTenths(row, s.tendency1h, true);
  row += ',';
  appendTenths(row, s.tendency3h, true);
  row += ',';
  appendTenths(row, s.variation, false);
  row += valid ? ",1\n" : ",0\n";
  return row;
}

} // namespace baromon
