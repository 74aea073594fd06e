#pragma once

#include <string>

namespace baromon::platform {

// Who runs the monitor, as far as the core cares: the language the user reads.
// Read through this seam, as the time is through `Clock`, so that tests choose it.
class UserLocale {
public:
  virtual ~UserLocale() = default;
  // The name of the user's message locale ("fr_FR.UTF-8", "de-DE", "C"); empty when none is set.
  virtual std::string messagesLocale() const = 0;
};

// Where an event goes beside monitor.err (the journal of a service). Never waits.
class EventSink {
public:
  virtual ~EventSink() = default;
  // One event as the user reads it: its number and its text in the user's language
  // (Windows-1252, no line end).
  virtual void eventReported(int code, const std::string& text) = 0;
};

} // namespace baromon::platform
