#include "core/config/EventLog.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "core/config/EventTexts.h"
#include "core/state/AppContext.h"

namespace baromon {

namespace {

constexpr const char* kEventFile = "monitor.err";

// Texts of event codes 0..65; 26..36 carry no trailing blank, 37..62 one.
constexpr std::array<const char*, 66> kEventText = {
    "no error",                                          // 0
    "error: COM port already in use !",                  // 1
    "error: no file MONITOR.INI !",                      // 2
    "error writing in file MONITOR.INI !",               // 3
    "error using funktion FontSet - CreateFont ",        // 4
    "error using funktion FontSet2 ",                    // 5
    "error: file MONITOR.TXT not found ",                // 6
    "error: no printer attached ",                       // 7
    "error during printing ",                            // 8
    "fatal error RegisterClass ",                        // 9
    "fatal error opening main window ",                  // 10
    "error: file MONITOR.INI not found ",                // 11
    "file MONITOR.TXT has been erased ",                 // 12
    "error writing in file MONITOR.TXT ",                // 13
    "error reading COM1 ",                               // 14
    "error reading COM2 ",                               // 15
    "error reading COM3 ",                               // 16
    "error reading COM4 ",                               // 17
    "warning: >256 bytes in buffer ",                    // 18
    "error: COMx / ClearCommError ",                     // 19
    "transmission error dwErrorFlags",                   // 20
    "error: WriteFile/ReadFile",                         // 21
    "error using function SelectObject",                 // 22
    "error using function CreatePen",                    // 23
    "error: not enough free space or error on harddisk", // 24
    "error using function CreateBrush",                  // 25
    "error #26",                                         // 26
    "error #27",
    "error #28",
    "error #29",
    "error #30",
    "error #31",
    "error #32",
    "error #33",
    "error #34",
    "error #35",
    "error #36",
    "error #37 ", // 37
    "error #38 ",
    "error #39 ",
    "error #40 ",
    "error #41 ",
    "error #42 ",
    "error #43 ",
    "error #44 ",
    "error #45 ",
    "error #46 ",
    "error #47 ",
    "error #48 ",
    "error #49 ",
    "error #50 ",
    "error #51 ",
    "error #52 ",
    "error #53 ",
    "error #54 ",
    "error #55 ",
    "error #56 ",
    "error #57 ",
    "error #58 ",
    "error #59 ",
    "error #60 ",
    "error #61 ",
    "error #62 ",
    "readfile-error reading from COM port ", // 63
    "error: SetCommState",                   // 64
    "error: LastError",                      // 65
};

static_assert(kEventText.size() == static_cast<std::size_t>(eventCode(Event::LastError)) + 1);

constexpr const char* kUnidentifiedText = "unidentified error #100 ";

// Codes 66..99 had no text and nobody reported them. The events added since are about
// lost data and a file put aside: a bare number would leave the reader of monitor.err
// to find out what happened, so each says it, and names the file to look at.
struct AddedEventText {
  Event event;
  const char* text;
};
constexpr AddedEventText kAddedEventText[] = {
    {Event::LogOffGrid, "error: MONITOR.TXT off the 80-byte grid, kept as it is; run the data check "},
    {Event::RecordLostAtStop, "error: record lost at program end, MONITOR.TXT not writable "},
    {Event::SettingsDamaged, "error: MONITOR.INI damaged, kept as monitor.ini.bad "},
    // A network source is no COM port: event 63 sent its reader looking at cables.
    {Event::SourceLost, "connection to %s lost "},
    {Event::SourceBack, "connection to %s back "},
    {Event::BrokerLost, "error: MQTT broker not reachable, values wait "},
    {Event::BrokerBack, "MQTT broker reachable again "},
};

} // namespace

std::string withDetail(const std::string& text, const std::string& detail) {
  const auto at = text.find("%s");
  if (at == std::string::npos) {
    return text;
  }
  return text.substr(0, at) + (detail.empty() ? "the source" : detail) + text.substr(at + 2);
}

std::string eventText(ErrorCode code, const std::string& detail) {
  if (code >= 100) {
    return kUnidentifiedText;
  }
  if (code >= 0 && code < static_cast<int>(kEventText.size())) {
    return kEventText[static_cast<std::size_t>(code)];
  }
  for (const AddedEventText& added : kAddedEventText) {
    if (eventCode(added.event) == code) {
      return withDetail(added.text, detail);
    }
  }
  return {};
}

int reportEvent(AppContext& app, ErrorCode code, const std::string& detail) {
  if (code >= 0 && code < EventCounts::kNumbers) {
    ++app.events.byNumber[static_cast<std::size_t>(code)];
  }
  if (app.settings.logEvents == 0) {
    return 1;
  }
  const platform::DateTime now = app.platform.clock.localNow();
  char line[256] = {};
  std::snprintf(line, sizeof line, "%02d.%02d.%04d %02d:%02d  event # %d %s", now.day, now.month, now.year,
                now.hour, now.minute, code, eventText(code, detail).c_str());
  // The protocol is best effort: a file another program holds, or one that
  // cannot be created, loses the line and nothing else happens.
  if (auto file = app.platform.files.openForAppend(kEventFile)) {
    file->write(line, std::strlen(line));
    file->write("\r\n", 2);
  }
  // The journal gets the event even when monitor.err is held by another program.
  if (app.platform.eventSink != nullptr) {
    app.platform.eventSink->eventReported(code, eventTextIn(code, app.settings.language, detail));
  }
  return 0;
}

void reportFatal(AppContext& app, ErrorCode code) {
  const platform::DateTime now = app.platform.clock.localNow();
  char line[256] = {};
  std::snprintf(line, sizeof line, "%02d.%02d.%4d %02d:%02d fatal error # %03d\n", now.day, now.month,
                now.year, now.hour, now.minute, code);
  if (auto file = app.platform.files.openForAppend(kEventFile)) {
    file->write(line, std::strlen(line));
  }
  char box[256] = {};
  std::snprintf(box, sizeof box, "%02d.%02d.%4d %02d:%02d\nerror %03d\nprogram end ", now.day, now.month,
                now.year, now.hour, now.minute, code);
  app.platform.boxes.messageBox(box, "Error", platform::BoxIcon::Error);
  app.platform.boxes.beep(platform::BeepKind::Exclamation);
  app.shell.fatalRaised = true;
  app.platform.loop.postQuit(0);
}

} // namespace baromon
