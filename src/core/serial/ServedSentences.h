#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace baromon {

struct AppContext;
struct CurrentReading;

// The pressure (hundredths of a hPa) as a transducer sentence in bar:
// "$WIXDR,P,x.xxxxx,B,Barometer*hh" with its line end.
std::string servedPressureSentence(std::int32_t pressure);

// What the boat's software is given of one reading, each sentence with its checksum and
// CR LF: the pressure as $WIXDR in bar, as $WIMDA in inches of mercury and bar with the
// air temperature when one is known, and the air temperature and supply voltage as
// $WIXDR when the barograph sends them.
std::vector<std::string> servedSentences(const CurrentReading& reading);

// Passes the current reading to the outlet, at most once per UTC second.
void serveReading(AppContext& app);

} // namespace baromon
