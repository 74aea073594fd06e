#pragma once

#include "core/app/AppContext.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeSerialPorts.h"
#include "platform/testing/FakeWindows.h"
#include "platform/testing/TempDir.h"

namespace baromon::fakes {

// A fresh monitor for one test: real files in a private temporary directory,
// a fake clock, recorded window calls and scripted serial ports.
struct TestApp {
  TempDir dir;
  platform::PosixFileSystem files{dir.path()};
  FakeClock clock;
  FakeWindows windows;
  FakeSerialPorts ports;
  platform::GraphicsObjects graphics;
  AppContext app{Platform{clock, files, windows, ports, graphics}};
};

} // namespace baromon::fakes
