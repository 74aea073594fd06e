#pragma once

#include <cstdio>
#include <string>

#include "assembly/NativePlatform.h"
#include "assembly/ConsoleWindowServices.h"
#include "core/state/AppContext.h"

namespace baromon::assembly {

// The services of one command, put together here as the monitor's are in runMonitor:
// the system clock, the files of `directory`, boxes told on `boxesTo`, no serial port
// (a command never takes one from a running monitor) and drawing objects of its own.
// Commands take no directory lock.
class CommandPlatform {
public:
  explicit CommandPlatform(std::FILE* boxesTo, const std::string& directory = ".")
      : files(directory), windows(boxesTo) {}
  CommandPlatform(const CommandPlatform&) = delete;
  CommandPlatform& operator=(const CommandPlatform&) = delete;

  // The services as the core takes them.
  Platform services() {
    Platform services{clock, files, windows, ports, graphics};
    services.locale = &locale;
    return services;
  }
  // The same with other files in place of the directory's (a read-only view of them, say).
  Platform services(platform::FileSystem& otherFiles) {
    return Platform{clock, otherFiles, windows, ports, graphics};
  }

  NativeClock clock;
  NativeUserLocale locale;
  NativeFileSystem files;
  ConsoleWindowServices windows;
  NoSerialPorts ports;
  platform::GraphicsObjects graphics;
};

} // namespace baromon::assembly
