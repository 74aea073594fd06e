#include "assembly/ConsoleCodePage.h"

#include <windows.h>

namespace baromon::assembly {

namespace {

constexpr UINT kWindows1252 = 1252;

bool isConsole(DWORD which) {
  DWORD mode = 0;
  const HANDLE handle = ::GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != FALSE;
}

} // namespace

ConsoleCodePage::ConsoleCodePage() {
  if (!isConsole(STD_OUTPUT_HANDLE) && !isConsole(STD_ERROR_HANDLE)) {
    return;
  }
  const UINT page = ::GetConsoleOutputCP();
  if (page != kWindows1252 && ::SetConsoleOutputCP(kWindows1252)) {
    previous_ = page;
  }
}

ConsoleCodePage::~ConsoleCodePage() {
  if (previous_ != 0) {
    ::SetConsoleOutputCP(previous_);
  }
}

} // namespace baromon::assembly
