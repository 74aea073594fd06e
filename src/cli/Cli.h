#pragma once

#include <string>

#include "app/NativePlatform.h"

namespace baromon::cli {

// Options that hold for the monitor and every subcommand.
struct GeneralOptions {
  // COM1..COM8 to devices: `--port n=PATH`, else BAROMON_COMn, else the system's default.
  app::PortMap ports;
  // Run without windows (message boxes to standard error).
  bool headless = false;
  // `--serve-nmea [ADDR:]PORT`: serve the pressure to chart plotters (empty: off).
  std::string serveNmea;
  // `--on-alarm CMD`: run CMD at each fast-fall alarm (empty: none).
  std::string onAlarm;
};

// Parses the command line and runs the monitor or a subcommand; returns the exit status.
int run(int argc, char** argv);

} // namespace baromon::cli
