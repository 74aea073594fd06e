#pragma once

#include <cstdio>
#include <string>

#include "platform/UserSession.h"

namespace baromon::platform {

// The message locale as the C library chooses it: LC_ALL, else LC_MESSAGES, else LANG,
// the first one set and not empty.
class PosixUserLocale final : public UserLocale {
public:
  std::string messagesLocale() const override;
};

// Each event as one line "baromon: event N: TEXT" (UTF-8) on `out`, standard error for a
// headless monitor, so that the journal of a service holds what monitor.err holds.
class StreamEventSink final : public EventSink {
public:
  explicit StreamEventSink(std::FILE* out) : out_(out) {}
  void eventReported(int code, const std::string& text) override;

private:
  std::FILE* out_;
};

} // namespace baromon::platform
