#include "adapters/win32/Win32UserLocale.h"

#include <windows.h>

namespace baromon::platform {

std::string Win32UserLocale::messagesLocale() const {
  char name[16] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, name, sizeof name) <= 0) {
    return {};
  }
  return name;
}

} // namespace baromon::platform
