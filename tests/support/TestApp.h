#pragma once

#include "core/state/AppContext.h"
#ifdef _WIN32
#include "adapters/win32/Win32FileSystem.h"
#else
#include "adapters/posix/PosixFileSystem.h"
#endif
#include "support/FailingGraphicsObjects.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPorts.h"
#include "support/FakeWindows.h"
#include "support/TempDir.h"

namespace baromon::fakes {

// The file system of the machine the tests run on.
#ifdef _WIN32
using NativeFileSystem = platform::Win32FileSystem;
#else
using NativeFileSystem = platform::PosixFileSystem;
#endif

// A fresh monitor for one test: real files (through the system's own adapter) in a private temporary directory,
// a fake clock, recorded window calls and scripted serial ports.
struct TestApp {
  TempDir dir;
  NativeFileSystem files{dir.path()};
  FakeClock clock;
  FakeWindows windows;
  FakeSerialPorts ports;
  FailingGraphicsObjects graphics;
  AppContext app{Platform{clock, files, windows, ports, graphics}};
};

} // namespace baromon::fakes
