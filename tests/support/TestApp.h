#pragma once

#include "core/app/AppContext.h"
#include "adapters/posix/PosixFileSystem.h"
#include "support/FailingGraphicsObjects.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPorts.h"
#include "support/FakeWindows.h"
#include "support/TempDir.h"

namespace baromon::fakes {

// A fresh monitor for one test: real files in a private temporary directory,
// a fake clock, recorded window calls and scripted serial ports.
struct TestApp {
  TempDir dir;
  platform::PosixFileSystem files{dir.path()};
  FakeClock clock;
  FakeWindows windows;
  FakeSerialPorts ports;
  FailingGraphicsObjects graphics;
  AppContext app{Platform{clock, files, windows, ports, graphics}};
};

} // namespace baromon::fakes
