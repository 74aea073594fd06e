#include "core/program/WindowProcedure.h"

#include <cmath>

#include "core/analysis/DiurnalRhythm.h"
#include "core/state/AppContext.h"
#include "core/program/AcquisitionDisplay.h"
#include "core/program/ChildWindows.h"
#include "core/program/InfoTexts.h"
#include "core/config/EventLog.h"
#include "core/config/Menus.h"
#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "core/display/Panels.h"
#include "core/print/PrintJobs.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/serial/Telemetry.h"
#include "core/store/Store.h"

namespace baromon {

using platform::WindowId;

namespace {

constexpr std::uint32_t kTicksUntilInactive = 100;

template <typename T> void toggle(T& option) { option = option == 0 ? 1 : 0; }

void repaintMain(AppContext& app) { app.platform.windows.invalidate(WindowId::Main); }

void setModeTitles(AppContext& app) {
  if (isKxMode(app.settings.dataMode)) {
    setBarographTitles(app);
  } else {
    setNmeaTitle(app);
  }
}

// A display step also turns recording on.
void setStep(AppContext& app, unsigned show) {
  app.settings.displayStep = show;
  app.settings.recordInterval = 300;
}

void setLanguage(AppContext& app, int language) {
  app.settings.language = static_cast<std::uint8_t>(language);
  setModeTitles(app);
  buildMenuBar(app);
  updateMenuChecks(app);
  applyPortAvailability(app);
  repaintMain(app);
}

void startSpectrum(AppContext& app, WindowId from) {
  if (!app.platform.programs.startProgram("dft.exe")) {
    app.platform.boxes.messageBox("program dft.exe not found", "Error", platform::BoxIcon::Error);
  }
  app.platform.windows.invalidate(from);
}

void showInfo(AppContext& app, int commandId) {
  const InfoBox box = infoBoxFor(commandId, app.settings.language);
  app.platform.boxes.ownerlessMessageBox(box.text, box.caption, platform::BoxIcon::Information);
}

void printOnChosen(AppContext& app, void (*print)(AppContext&)) {
  choosePrinter(app);
  print(app);
}

void deleteLog(AppContext& app) {
  // Neither a missing file nor one in use is reported; the event is written all the same.
  app.platform.files.remove(kLogFileName);
  // Records still waiting for the log belonged to the one just erased.
  app.recording.pending.clear();
  app.recording.dropReported = false;
  reportEvent(app, Event::LogErased);
  app.history.fill(HistorySample{});
}

void clearNmea(AppContext& app) {
  for (auto& row : app.nmea) {
    row.fill(0);
  }
}

void deleteNmea(AppContext& app) {
  app.platform.files.remove(kNmeaFileName);
  clearNmea(app);
}

void toggleValuesWindow(AppContext& app) {
  if (app.settings.valuesWindow != 0) {
    app.settings.valuesWindow = 0;
    closeValuesWindow(app);
  } else {
    app.settings.valuesWindow = 1;
    openValuesWindow(app);
    app.platform.windows.invalidate(WindowId::Values);
  }
}

void toggleConverterWindow(AppContext& app) {
  if (app.settings.converterWindow != 0) {
    app.settings.converterWindow = 0;
    closeConverterWindow(app);
  } else {
    app.settings.converterWindow = 1;
    openConverterWindow(app);
    app.platform.windows.invalidate(WindowId::Converter);
  }
}

void selectPort(AppContext& app, int commandId) {
  for (std::size_t n = 0; n < kPortCommands.size(); ++n) {
    if (kPortCommands[n] == commandId) {
      changePort(app, static_cast<char>('1' + n));
    }
  }
}

void selectLanguage(AppContext& app, int commandId) {
  for (std::size_t n = 0; n < kLanguageCommands.size(); ++n) {
    if (kLanguageCommands[n] == commandId) {
      setLanguage(app, static_cast<int>(n));
    }
  }
}

// What follows a command's own action, in this order.
enum class Then {
  Nothing,
  Checks,              // the menu's check marks
  ChecksAndRepaint,    // check marks, then the main window
  ChecksReloadRepaint, // check marks, the history from the log, then the main window
  Repaint,             // the main window
};

struct CommandEntry {
  int id;
  void (*action)(AppContext& app, WindowId from, int commandId);
  Then then;
};

// One line per menu command: its action, then what it brings up to date.
// Commands not listed do nothing.
const CommandEntry kCommands[] = {
    {cmd::PrintNmeaTable, [](AppContext& a, WindowId, int) { printOnChosen(a, printNmeaTable); },
     Then::Nothing},
    {cmd::PrintBarogram, [](AppContext& a, WindowId, int) { printOnChosen(a, printBarogram); },
     Then::Nothing},
    {cmd::Exit,
     [](AppContext& a, WindowId from, int) {
       if (from == WindowId::Main) {
         a.platform.loop.postQuit(0);
       }
     },
     Then::Nothing},
    {cmd::CheckLog, [](AppContext& a, WindowId, int) { checkLogFile(a); }, Then::Nothing},
    {cmd::DeleteLog, [](AppContext& a, WindowId, int) { deleteLog(a); }, Then::Nothing},
    {cmd::DeleteNmea, [](AppContext& a, WindowId, int) { deleteNmea(a); }, Then::Nothing},
    {cmd::ToggleT1, [](AppContext& a, WindowId, int) { toggle(a.settings.drawTendency1h); },
     Then::ChecksAndRepaint},
    {cmd::ToggleT3, [](AppContext& a, WindowId, int) { toggle(a.settings.drawTendency3h); },
     Then::ChecksAndRepaint},
    {cmd::ToggleVar, [](AppContext& a, WindowId, int) { toggle(a.settings.drawVariation); },
     Then::ChecksAndRepaint},
    {cmd::ToggleDks, [](AppContext& a, WindowId, int) { toggle(a.settings.variationBars); },
     Then::ChecksAndRepaint},
    {cmd::ToggleDp, [](AppContext& a, WindowId, int) { toggle(a.settings.paperLook); },
     Then::ChecksAndRepaint},
    {cmd::ValuesWindow, [](AppContext& a, WindowId, int) { toggleValuesWindow(a); }, Then::ChecksAndRepaint},
    {cmd::ConverterWindow, [](AppContext& a, WindowId, int) { toggleConverterWindow(a); },
     Then::ChecksAndRepaint},
    {cmd::DiurnalWindow,
     [](AppContext& a, WindowId, int) {
       openDiurnalWindow(a);
       a.platform.windows.invalidate(WindowId::Diurnal);
     },
     Then::Repaint},
    {cmd::Spectrum, [](AppContext& a, WindowId from, int) { startSpectrum(a, from); }, Then::Nothing},
    {cmd::KxMode,
     [](AppContext& a, WindowId, int) {
       a.settings.dataMode = DataMode::Kx;
       a.acquisition.recordCounter = 0;
       a.history.fill(HistorySample{});
       setBarographTitles(a);
     },
     Then::ChecksReloadRepaint},
    {cmd::NmeaMode,
     [](AppContext& a, WindowId, int) {
       a.settings.dataMode = DataMode::Nmea;
       a.acquisition.recordCounter = 0;
       clearNmea(a);
       setNmeaTitle(a);
     },
     Then::ChecksAndRepaint},
    {cmd::Com1, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com2, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com3, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com4, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com5, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com6, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com7, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Com8, [](AppContext& a, WindowId, int id) { selectPort(a, id); }, Then::Nothing},
    {cmd::Step5, [](AppContext& a, WindowId, int) { setStep(a, 300); }, Then::ChecksReloadRepaint},
    {cmd::Step10, [](AppContext& a, WindowId, int) { setStep(a, 600); }, Then::ChecksReloadRepaint},
    {cmd::Step15, [](AppContext& a, WindowId, int) { setStep(a, 900); }, Then::ChecksReloadRepaint},
    {cmd::Step30, [](AppContext& a, WindowId, int) { setStep(a, 1800); }, Then::ChecksReloadRepaint},
    {cmd::RecordOff, [](AppContext& a, WindowId, int) { a.settings.recordInterval = 0; }, Then::Checks},
    {cmd::RecordOn, [](AppContext& a, WindowId, int) { a.settings.recordInterval = 300; }, Then::Checks},
    {cmd::ToggleSig, [](AppContext& a, WindowId, int) { toggle(a.settings.beepOnFastFall); }, Then::Checks},
    {cmd::ToggleErr, [](AppContext& a, WindowId, int) { toggle(a.settings.logEvents); }, Then::Checks},
    {cmd::LangGerman, [](AppContext& a, WindowId, int id) { selectLanguage(a, id); }, Then::Nothing},
    {cmd::LangEnglish, [](AppContext& a, WindowId, int id) { selectLanguage(a, id); }, Then::Nothing},
    {cmd::LangFrench, [](AppContext& a, WindowId, int id) { selectLanguage(a, id); }, Then::Nothing},
    {cmd::LangDutch, [](AppContext& a, WindowId, int id) { selectLanguage(a, id); }, Then::Nothing},
    {cmd::LangItalian, [](AppContext& a, WindowId, int id) { selectLanguage(a, id); }, Then::Nothing},
    {cmd::LangSpanish, [](AppContext& a, WindowId, int id) { selectLanguage(a, id); }, Then::Nothing},
    {cmd::UnitHpa, [](AppContext& a, WindowId, int) { a.view.pressureUnit = PressureUnit::Hpa; },
     Then::Checks},
    {cmd::UnitInchHg, [](AppContext& a, WindowId, int) { a.view.pressureUnit = PressureUnit::InchHg; },
     Then::Checks},
    {cmd::ScaleNormal, [](AppContext& a, WindowId, int) { a.settings.lowScale = 0; }, Then::ChecksAndRepaint},
    {cmd::ScaleLow, [](AppContext& a, WindowId, int) { a.settings.lowScale = 1; }, Then::ChecksAndRepaint},
    {cmd::Correction, [](AppContext& a, WindowId, int) { openCorrectionDialog(a); }, Then::Nothing},
    {cmd::Help, [](AppContext& a, WindowId, int id) { showInfo(a, id); }, Then::Nothing},
    {cmd::About, [](AppContext& a, WindowId, int id) { showInfo(a, id); }, Then::Nothing},
    {cmd::Cable, [](AppContext& a, WindowId, int id) { showInfo(a, id); }, Then::Nothing},
    {cmd::DataFormats, [](AppContext& a, WindowId, int id) { showInfo(a, id); }, Then::Nothing},
    {cmd::CorrectionOk, [](AppContext& a, WindowId, int) { applyCorrectionInput(a); }, Then::Nothing},
};

void bringUpToDate(AppContext& app, Then then) {
  if (then == Then::Checks || then == Then::ChecksAndRepaint || then == Then::ChecksReloadRepaint) {
    updateMenuChecks(app);
  }
  if (then == Then::ChecksReloadRepaint) {
    loadHistory(app);
  }
  if (then == Then::ChecksAndRepaint || then == Then::ChecksReloadRepaint || then == Then::Repaint) {
    repaintMain(app);
  }
}

} // namespace

void onWindowCreated(AppContext& app) {
  createScreenPens(app);
  createPrinterPens(app);
}

void onMainWindowDestroyed(AppContext& app) { app.platform.loop.postQuit(0); }

void onTimer(AppContext& app) {
  auto& acq = app.acquisition;
  ++acq.ticksSinceSentence;
  if (acq.ticksSinceSentence > kTicksUntilInactive) {
    acq.ticksSinceSentence = kTicksUntilInactive;
    app.platform.windows.setTitle(WindowId::Values, kValuesWindowTitle);
  }
  if (!acq.acquisitionPaused) {
    showAcquisitionChanges(app, acquisitionTick(app).changes);
  }
  // After the tick, so that what it decoded goes out at once.
  if (app.platform.nmeaOutlet != nullptr) {
    app.platform.nmeaOutlet->poll();
  }
  if (app.platform.alarmHook != nullptr) {
    app.platform.alarmHook->poll();
  }
  serveTelemetry(app);
}

int scrollPositionFor(std::int32_t offset, std::int32_t recordCount) {
  if (recordCount <= 0) {
    return 100; // an empty log shows its (empty) newest end
  }
  // Single precision on purpose: 73 of 1000 records is 7.29999... and gives 93.
  float share = static_cast<float>(offset) / static_cast<float>(recordCount);
  share = share * 100.0f;
  const float position = 100.0f - std::trunc(share);
  if (!(position >= 0.0f)) {
    return 0;
  }
  return position > 100.0f ? 100 : static_cast<int>(position);
}

void onHorizontalScroll(AppContext& app, int code) {
  auto& view = app.view;
  switch (code) {
  case LineLeft:
    view.scrollOffset += kScrollLine;
    break;
  case LineRight:
    view.scrollOffset = view.scrollOffset - kScrollLine < 1 ? 1 : view.scrollOffset - kScrollLine;
    break;
  case PageLeft:
    view.scrollOffset += kScrollPage;
    break;
  case PageRight:
    view.scrollOffset = view.scrollOffset - kScrollPage < 1 ? 1 : view.scrollOffset - kScrollPage;
    break;
  default:
    return;
  }
  view.scrollPosition = scrollPositionFor(view.scrollOffset, view.recordCount);
  loadHistory(app);
  app.platform.loop.setScrollPosition(view.scrollPosition);
}

void paintWindow(AppContext& app, WindowId window, platform::Canvas& canvas) {
  switch (window) {
  case WindowId::Main:
    if (isKxMode(app.settings.dataMode)) {
      paintBarogram(app, canvas);
    } else {
      paintNmeaList(app, canvas, app.platform.windows.windowOuterSize(WindowId::Main).height);
    }
    break;
  case WindowId::Values:
    paintValuesPanel(app, canvas);
    break;
  case WindowId::Converter:
    paintConverterPanel(app, canvas);
    break;
  case WindowId::Diurnal:
    paintDiurnalRhythm(app, canvas);
    break;
  case WindowId::Correction:
    paintCorrectionPrompt(app, canvas);
    break;
  }
}

void onCommand(AppContext& app, WindowId from, int commandId) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == commandId) {
      entry.action(app, from, commandId);
      bringUpToDate(app, entry.then);
      return;
    }
  }
}

} // namespace baromon
