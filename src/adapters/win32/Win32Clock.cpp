#include "adapters/win32/Win32Clock.h"

#include <windows.h>

namespace baromon::platform {

namespace {
DateTime fromSystemTime(const SYSTEMTIME& t) {
  return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wDayOfWeek};
}
} // namespace

DateTime Win32Clock::utcNow() const {
  SYSTEMTIME t;
  ::GetSystemTime(&t);
  return fromSystemTime(t);
}

DateTime Win32Clock::localNow() const {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return fromSystemTime(t);
}

void Win32Clock::pause(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

} // namespace baromon::platform
