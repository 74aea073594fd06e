#pragma once

#include <string>

#include "adapters/posix/PosixSerialPorts.h"

namespace baromon::cli {

// Options that hold for the monitor and every subcommand.
struct GeneralOptions {
  // COM1..COM8 to device paths: `--port n=PATH`, else BAROMON_COMn, else /dev/ttyS<n-1>.
  platform::PortMap ports;
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
