#pragma once

#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/EventLog.h"
#include "support/TempDir.h"

namespace baromon::fakes {

// One line of monitor.err: "DD.MM.YYYY hh:mm  event # N text".
struct LoggedEvent {
  int code = 0;
  std::string text; // after the number, without the line end
};

// The events of a monitor.err's text, in order; lines that are no event (fatal codes,
// foreign text) are left out.
inline std::vector<LoggedEvent> parseEventLog(const std::string& log) {
  std::vector<LoggedEvent> events;
  const std::string mark = "event # ";
  for (std::size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1)) {
    const char* number = log.c_str() + at + mark.size();
    char* end = nullptr;
    const long code = std::strtol(number, &end, 10);
    if (end == number) {
      continue;
    }
    std::size_t textAt = static_cast<std::size_t>(end - log.c_str());
    if (textAt < log.size() && log[textAt] == ' ') {
      ++textAt;
    }
    std::size_t lineEnd = log.find('\n', textAt);
    lineEnd = lineEnd == std::string::npos ? log.size() : lineEnd;
    std::string text = log.substr(textAt, lineEnd - textAt);
    if (!text.empty() && text.back() == '\r') {
      text.pop_back();
    }
    events.push_back({static_cast<int>(code), text});
  }
  return events;
}

// The event numbers of a monitor.err's text, in order.
inline std::vector<int> eventCodes(const std::string& log) {
  std::vector<int> codes;
  for (const LoggedEvent& event : parseEventLog(log)) {
    codes.push_back(event.code);
  }
  return codes;
}

// How often event `code` stands in a monitor.err's text.
inline std::size_t eventCount(const std::string& log, int code) {
  std::size_t count = 0;
  for (const LoggedEvent& event : parseEventLog(log)) {
    count += event.code == code ? 1 : 0;
  }
  return count;
}

inline bool hasEvent(const std::string& log, int code) { return eventCount(log, code) > 0; }

// The same by name: a test says which event it means, the number stays in EventLog.h.
inline std::size_t eventCount(const std::string& log, Event event) {
  return eventCount(log, eventCode(event));
}
inline bool hasEvent(const std::string& log, Event event) { return hasEvent(log, eventCode(event)); }
// The numbers of named events, in the order given, to compare with `eventCodes`.
inline std::vector<int> eventNumbers(std::initializer_list<Event> events) {
  std::vector<int> codes;
  for (const Event event : events) {
    codes.push_back(eventCode(event));
  }
  return codes;
}

// The events a test's monitor writes into the monitor.err of `dir`. With `failOnOthers`,
// the test fails when the recorder goes out of scope and the log holds an event that
// was not expected (`expect`): a fault that only leaves a trace in the log is not missed.
class EventRecorder {
public:
  explicit EventRecorder(const TempDir& dir) : dir_(dir) {}
  EventRecorder(const TempDir& dir, std::initializer_list<Event> expected) : dir_(dir) {
    for (const Event event : expected) {
      expected_.insert(eventCode(event));
    }
    failOnOthers_ = true;
  }
  EventRecorder(const EventRecorder&) = delete;
  EventRecorder& operator=(const EventRecorder&) = delete;
  ~EventRecorder() {
    if (!failOnOthers_) {
      return;
    }
    for (const LoggedEvent& event : events()) {
      if (expected_.count(event.code) == 0) {
        ADD_FAILURE() << "unexpected event # " << event.code << " " << event.text;
      }
    }
  }

  void expect(Event event) {
    expected_.insert(eventCode(event));
    failOnOthers_ = true;
  }
  std::vector<LoggedEvent> events() const { return parseEventLog(log()); }
  std::vector<int> codes() const { return eventCodes(log()); }
  std::size_t count(Event event) const { return eventCount(log(), event); }
  bool has(Event event) const { return count(event) > 0; }

private:
  std::string log() const { return dir_.exists("monitor.err") ? dir_.read("monitor.err") : std::string(); }

  const TempDir& dir_;
  std::set<int> expected_;
  bool failOnOthers_ = false;
};

} // namespace baromon::fakes
