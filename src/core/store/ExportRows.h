#pragma once

#include <string>

#include "core/store/LogRecord.h"

namespace baromon {

// The CSV of `baromon export` (and of the web server's history): this header, then one
// row per record, a record that does not decode marked invalid.
inline constexpr const char* kExportCsvHeader =
    "counter,date,time,pressure_hpa,tendency1h_hpa,tendency3h_hpa,variation_hpa,valid\n";
std::string exportCsvRow(const LastDecodedRecord& record, bool valid);

// Tenths of a hPa as a signed decimal: +1.8, -0.3, +0.0 (without sign: 0.3).
void appendTenths(std::string& text, std::int32_t tenths, bool withSign);
// Hundredths of a hPa with two decimals: 1013.25.
void appendHundredths(std::string& text, std::int32_t hundredths);

} // namespace baromon
