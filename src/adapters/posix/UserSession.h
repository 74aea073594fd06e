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

// How texts reach a stream: UTF-8 (a Linux terminal or journal), or the program's own
// Windows-1252 bytes (a Windows console switched to that code page, and redirected output
// there, which gets every other text of the program in those bytes too).
enum class TextBytes { Utf8, Windows1252 };

// Each event as one line "baromon: event N: TEXT" on `out`, standard error for a headless
// monitor, so that the journal of a service holds what monitor.err holds.
class StreamEventSink final : public EventSink {
public:
  explicit StreamEventSink(std::FILE* out, TextBytes bytes = TextBytes::Utf8) : out_(out), bytes_(bytes) {}
  void eventReported(int code, const std::string& text) override;

private:
  std::FILE* out_;
  TextBytes bytes_;
};

} // namespace baromon::platform
