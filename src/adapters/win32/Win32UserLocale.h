#pragma once

#include <string>

#include "platform/UserSession.h"

namespace baromon::platform {

// The user's language as Windows keeps it (its two-letter ISO 639 name, "fr").
class Win32UserLocale final : public UserLocale {
public:
  std::string messagesLocale() const override;
};

} // namespace baromon::platform
