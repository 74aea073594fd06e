#pragma once

#include <cstdint>

#include "core/analysis/DiurnalRhythm.h"
#include "core/state/EventCounts.h"
#include "core/state/Shell.h"
#include "core/config/Settings.h"
#include "core/domain/Modes.h"
#include "core/display/DrawingResources.h"
#include "core/print/PrintJobs.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/DirectoryLock.h"
#include "platform/Files.h"
#include "platform/Outlets.h"
#include "platform/SerialDevice.h"
#include "platform/UserSession.h"
#include "platform/WindowServices.h"
#include "core/serial/AcquisitionState.h"
#include "core/store/LogRecord.h"
#include "core/store/RecordingState.h"

namespace baromon {

// The platform services the core calls instead of the operating system.
struct Platform {
  Platform(platform::Clock& clock, platform::FileSystem& files, const platform::WindowServices& ui,
           platform::SerialPorts& ports, platform::GraphicsObjects& graphics,
           platform::DirectoryLock* monitorLock = nullptr, platform::SentenceOutlet* nmeaOutlet = nullptr,
           platform::AlarmHook* alarmHook = nullptr)
      : clock(clock), files(files), boxes(ui.boxes), windows(ui.windows), menus(ui.menus), loop(ui.loop),
        programs(ui.programs), ports(ports), graphics(graphics), monitorLock(monitorLock),
        nmeaOutlet(nmeaOutlet), alarmHook(alarmHook) {}

  platform::Clock& clock;
  platform::FileSystem& files;
  // The window system, by concern.
  platform::Boxes& boxes;
  platform::Windows& windows;
  platform::Menus& menus;
  platform::MainLoop& loop;
  platform::Programs& programs;
  platform::SerialPorts& ports;
  platform::GraphicsObjects& graphics;
  // The monitor's hold on its directory, taken first thing at start-up; the commands
  // and most tests run without one.
  platform::DirectoryLock* monitorLock = nullptr;
  // Optional: the sentences served to chart plotters, the hook of the fast-fall alarm.
  platform::SentenceOutlet* nmeaOutlet = nullptr;
  platform::AlarmHook* alarmHook = nullptr;
  // Optional: the user's locale (the language of a new monitor.ini; German without one),
  // and where every event written to monitor.err goes as well (headless: standard error).
  const platform::UserLocale* locale = nullptr;
  platform::EventSink* eventSink = nullptr;
  // Optional: the values published to a message broker (set after construction).
  platform::TelemetryOutlet* telemetry = nullptr;
};

// What the record count is taken to be until the first history load counts the log.
inline constexpr std::int32_t kRecordCountBeforeLoad = 1024;

// Where the barogram window stands in the log.
struct ViewState {
  std::int32_t scrollOffset = 1;                     // newest record shown, counted from the end (1 = last)
  std::int32_t recordCount = kRecordCountBeforeLoad; // records in monitor.txt as of the last history load
  std::int32_t scrollPosition = 100;                 // scroll thumb 0..100, 100 = newest end
  PressureUnit pressureUnit = PressureUnit::Hpa;     // the menu's unit (memory only)
};

// All state of one running monitor. main owns one; every test builds a fresh one.
struct AppContext {
  explicit AppContext(Platform services) : platform(services) {}

  Platform platform;

  Settings settings;
  History history{};
  LastDecodedRecord lastDecodedRecord;
  CurrentReading reading;
  ConverterStats converter;
  AcquisitionState acquisition;
  RecordingState recording;
  NmeaTable nmea{};
  FiveMinuteHistory fiveMinute{};
  SerialLink serial;
  ViewState view;
  ShellState shell;
  DisplayState display;
  DiurnalAnalysis diurnal;
  PrintState printing;
  EventCounts events;
};

} // namespace baromon
