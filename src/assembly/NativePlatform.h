#pragma once

// The system's own adapters under one set of names, so that the commands and the
// monitor are assembled the same way on Linux and on Windows.
#ifdef _WIN32
#include "adapters/win32/Win32Clock.h"
#include "adapters/win32/Win32DirectoryLock.h"
#include "adapters/win32/Win32FileSystem.h"
#include "adapters/win32/Win32Printers.h"
#include "adapters/win32/Win32SerialPorts.h"
#include "adapters/win32/Win32UserLocale.h"
#else
#include "adapters/posix/PosixClock.h"
#include "adapters/posix/PosixDirectoryLock.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "adapters/posix/UserSession.h"
#endif

namespace baromon::assembly {

#ifdef _WIN32
using NativeClock = platform::Win32Clock;
using NativeFileSystem = platform::Win32FileSystem;
using NativeDirectoryLock = platform::Win32DirectoryLock;
using NativeSerialPorts = platform::Win32SerialPorts;
// COMn to a Windows device: `--port n=NAME`, else BAROMON_COMn, else \\.\COMn.
using PortMap = platform::Win32PortMap;
// PrintDlgA: the dialog for the print menu, the default printer for `baromon print`.
using NativePrinters = platform::Win32Printers;
using NativeUserLocale = platform::Win32UserLocale;
#else
using NativeClock = platform::PosixClock;
using NativeFileSystem = platform::PosixFileSystem;
using NativeDirectoryLock = platform::PosixDirectoryLock;
using NativeSerialPorts = platform::PosixSerialPorts;
// COMn to a device path: `--port n=PATH`, else BAROMON_COMn, else /dev/ttyS<n-1>.
using PortMap = platform::PortMap;
using NativeUserLocale = platform::PosixUserLocale;
#endif

} // namespace baromon::assembly
