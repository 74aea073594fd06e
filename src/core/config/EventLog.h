#pragma once

#include <string>

namespace baromon {

struct AppContext;

// Signed event number; events select a text, fatal codes are only printed.
using ErrorCode = int;

// The events monitor.err knows by name; their numbers and texts (EventLog.cpp) are what existing
// protocols hold, so neither may change. Codes 26..62 carry only "error #N".
enum class Event : ErrorCode {
  None = 0,
  PortInUse = 1,
  NoSettingsFile = 2,
  SettingsWriteFailed = 3,
  FontSetFailed = 4,
  FontSet2Failed = 5,
  LogNotFound = 6,
  NoPrinter = 7,
  PrintingFailed = 8,
  ClassNotRegistered = 9,
  WindowNotCreated = 10,
  SettingsNotFound = 11,
  LogErased = 12,
  // The text names MONITOR.TXT; the log check also reports it for its other files.
  FileOpenFailed = 13,
  Com1ReadError = 14, // COM2..COM4 follow
  Com2ReadError = 15,
  Com3ReadError = 16,
  Com4ReadError = 17,
  ManyBytesWaiting = 18,
  ClearCommError = 19,
  TransmissionError = 20,
  ReadWriteFailed = 21,
  SelectObjectFailed = 22,
  CreatePenFailed = 23,
  NotEnoughSpace = 24,
  CreateBrushFailed = 25,
  PortReadError = 63,
  SetCommStateFailed = 64,
  LastError = 65,
  // Added by this program, with texts of their own (see kAddedEventText).
  LogOffGrid = 66,       // monitor.txt is off the 80-byte grid; an append keeps it as it is
  RecordLostAtStop = 67, // a record that waited for a held log could not be written at the stop
  SettingsDamaged = 68,  // monitor.ini was not the template; kept as monitor.ini.bad, defaults used
  SourceLost = 71,       // a network source went away (its address follows the text)
  SourceBack = 72,       // a network source lost before brought a line again
  BrokerLost = 75,       // the message broker went away or cannot be reached
  BrokerBack = 76,       // the message broker is reachable again
};

// Every named event, in number order.
inline constexpr Event kNamedEvents[] = {
    Event::None,
    Event::PortInUse,
    Event::NoSettingsFile,
    Event::SettingsWriteFailed,
    Event::FontSetFailed,
    Event::FontSet2Failed,
    Event::LogNotFound,
    Event::NoPrinter,
    Event::PrintingFailed,
    Event::ClassNotRegistered,
    Event::WindowNotCreated,
    Event::SettingsNotFound,
    Event::LogErased,
    Event::FileOpenFailed,
    Event::Com1ReadError,
    Event::Com2ReadError,
    Event::Com3ReadError,
    Event::Com4ReadError,
    Event::ManyBytesWaiting,
    Event::ClearCommError,
    Event::TransmissionError,
    Event::ReadWriteFailed,
    Event::SelectObjectFailed,
    Event::CreatePenFailed,
    Event::NotEnoughSpace,
    Event::CreateBrushFailed,
    Event::PortReadError,
    Event::SetCommStateFailed,
    Event::LastError,
    Event::LogOffGrid,
    Event::RecordLostAtStop,
    Event::SettingsDamaged,
    Event::SourceLost,
    Event::SourceBack,
    Event::BrokerLost,
    Event::BrokerBack,
};

constexpr ErrorCode eventCode(Event event) { return static_cast<ErrorCode>(event); }

// Fatal codes end the program; they have no text, and their numbers are their own
// (fatal 22 is not event 22).
enum class Fatal : ErrorCode {
  SettingsNotWritten = 1,
  FramePenFailed = 7,
  LandscapeGridPenFailed = 9,
  PortraitGridPenFailed = 11,
  CurvePenFailed = 22,
  FontNotCreated = 60,
  FontNotSelected = 61,
};

// Appends an event line to monitor.err while logEvents is on; 1 when it is off, else 0. The
// same event goes to the platform's event sink, if any, in the user's language.
// `detail` is what the text names where it has a place for it (a network address).
int reportEvent(AppContext& app, ErrorCode code, const std::string& detail = {});
// Appends a fatal line whatever logEvents says, shows the box, beeps, asks the loop to end, and returns.
void reportFatal(AppContext& app, ErrorCode code);
// The text appended after the line head (empty for codes without a text), `detail`
// put in where the text names something.
std::string eventText(ErrorCode code, const std::string& detail = {});
// `text` with its one "%s" replaced by `detail` (taken as it is, never as a format).
std::string withDetail(const std::string& text, const std::string& detail);

inline int reportEvent(AppContext& app, Event event, const std::string& detail = {}) {
  return reportEvent(app, eventCode(event), detail);
}
inline std::string eventText(Event event, const std::string& detail = {}) {
  return eventText(eventCode(event), detail);
}
inline void reportFatal(AppContext& app, Fatal fatal) { reportFatal(app, static_cast<ErrorCode>(fatal)); }

} // namespace baromon
