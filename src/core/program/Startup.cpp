#include "core/program/Startup.h"

#include <string>

#include "core/state/AppContext.h"
#include "core/program/ChildWindows.h"
#include "core/program/InfoTexts.h"
#include "core/config/EventLog.h"
#include "core/config/EventTexts.h"
#include "core/config/Menus.h"
#include "core/config/Settings.h"
#include "core/config/SettingsFile.h"
#include "core/display/Panels.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/serial/Telemetry.h"
#include "core/store/Store.h"

namespace baromon {

using platform::ShowMode;
using platform::WindowClass;
using platform::WindowId;
using platform::WindowSpec;
using platform::WindowStyle;

namespace {

void setStartValues(AppContext& app) {
  app.acquisition.fillCount = 0;
  app.acquisition.recordCounter = 0;
  app.acquisition.nmeaCount = 0;
  app.view.recordCount = kRecordCountBeforeLoad;
  app.acquisition.lastSlot = kNoFiveMinuteSlot;
  app.reading.temperature = kNoTemperature;
  app.reading.voltage = 0;
  app.reading.adValue = 0;
  app.view.pressureUnit = PressureUnit::Hpa;
}

// A monitor restarted within the minute of a boundary the log already ends with (a service
// restart, an update) would record that boundary a second time; the history just loaded
// holds the log's newest record in its first slot.
void rememberTheLoggedBoundary(AppContext& app) {
  const HistorySample& newest = app.history[0];
  if (newest.day == 0 || newest.minute % 5 != 0) {
    return;
  }
  app.acquisition.lastSlot =
      fiveMinuteSlot({newest.year, newest.month, newest.day, newest.hour, newest.minute});
}

void clearTables(AppContext& app) {
  app.history.fill(HistorySample{});
  for (auto& row : app.nmea) {
    row.fill(0);
  }
  app.fiveMinute.fill(0);
  app.converter.history.fill(0);
}

// The settings from monitor.ini; the defaults, written at once, where it is missing or damaged.
// A new file speaks the user's language where it is one of the six; so do the
// events before it exists.
void readSettingsOrWriteDefaults(AppContext& app) {
  const std::uint8_t language = userLanguage(app);
  app.settings.language = language;
  switch (loadSettingsAtStart(app)) {
  case SettingsLoad::Read:
    break;
  case SettingsLoad::Missing:
    applyDefaultSettings(app.settings);
    app.settings.language = language;
    saveSettings(app);
    reportEvent(app, Event::SettingsNotFound);
    break;
  case SettingsLoad::Damaged:
    // Kept aside and reported already; run and record as on a first start.
    applyDefaultSettings(app.settings);
    app.settings.language = language;
    saveSettings(app);
    break;
  }
}

} // namespace

int startUp(AppContext& app) {
  auto& windows = app.platform.windows;
  // Before anything touches the directory or the port: a second monitor here would
  // append every boundary twice and race the first for monitor.ini.
  if (app.platform.monitorLock != nullptr &&
      app.platform.monitorLock->tryLock() == platform::LockResult::HeldByAnother) {
    app.platform.boxes.messageBox(anotherMonitorText(languageOfSettingsFile(app)), kAnotherMonitorCaption,
                                  platform::BoxIcon::Error);
    return kAnotherMonitorRunning;
  }
  app.shell.screen = windows.screenSize();
  setStartValues(app);

  readSettingsOrWriteDefaults(app);

  if (!windows.registerWindowClasses()) {
    reportEvent(app, Event::ClassNotRegistered);
    return kStartFailed;
  }
  const WindowSpec mainSpec{WindowClass::White,
                            WindowStyle::OverlappedWithScrollBar,
                            kInitialMainTitle,
                            0,
                            0,
                            app.shell.screen.width,
                            app.shell.screen.height};
  if (!createProgramWindow(app, WindowId::Main, mainSpec)) {
    reportEvent(app, Event::WindowNotCreated);
    return kStartFailed;
  }
  windows.showWindow(WindowId::Main, ShowMode::ShowMaximized);
  windows.updateWindow(WindowId::Main);
  app.platform.loop.setScrollPosition(app.view.scrollPosition);

  openValuesWindow(app);
  openConverterWindow(app);
  if (isKxMode(app.settings.dataMode)) {
    setBarographTitles(app);
  } else {
    setNmeaTitle(app);
  }

  // The probe runs before the program opens its own port, so that port is still free.
  buildMenuBar(app);
  probePorts(app);
  checkFreeDiskSpace(app);
  updateMenuChecks(app);

  clearTables(app);
  if (!openSerialPort(app, PortErrors::Show)) {
    // A logger started before its adapter is plugged in: after the one box, the ticks
    // keep trying quietly, as for a device lost while running.
    retryPortLater(app);
  }

  app.converter.minimum = kMaxConverterCounts;
  app.converter.maximum = 0;
  app.converter.range = 0;
  app.converter.variation = 0;
  app.acquisition.acquisitionPaused = false;

  loadHistory(app);
  rememberTheLoggedBoundary(app);
  windows.invalidate(WindowId::Main);
  app.platform.loop.startTimer(kTimerPeriodMs);
  return 0;
}

int shutDown(AppContext& app, int quitCode) {
  auto& windows = app.platform.windows;
  saveSettings(app);
  // After the settings: a log-off may end the process while this waits.
  writeWaitingRecordsAtStop(app);
  reportTelemetryLink(app);
  app.platform.loop.stopTimer();
  closeSerialPort(app);
  app.printing.printer.reset();
  for (WindowId id :
       {WindowId::Main, WindowId::Values, WindowId::Converter, WindowId::Diurnal, WindowId::Correction}) {
    windows.destroyWindow(id);
  }
  return app.shell.fatalRaised ? kStartFailed : quitCode;
}

} // namespace baromon
