#include "core/app/WindowProcedure.h"

#include <cmath>

#include "core/analysis/DiurnalRhythm.h"
#include "core/app/AppContext.h"
#include "core/app/ChildWindows.h"
#include "core/app/InfoTexts.h"
#include "core/config/EventLog.h"
#include "core/config/Menus.h"
#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "core/display/Panels.h"
#include "core/print/PrintJobs.h"
#include "core/serial/Acquisition.h"
#include "core/serial/SerialPort.h"
#include "core/store/Store.h"

namespace baromon {

using platform::WindowId;

namespace {

constexpr std::uint32_t kTicksUntilInactive = 100;

template <typename T>
void toggle(T& option) {
  option = option == 0 ? 1 : 0;
}

void repaintMain(AppContext& app) {
  app.platform.windows.invalidate(WindowId::Main);
}

void setModeTitles(AppContext& app) {
  if (app.settings.DATA == 1) {
    setBarographTitles(app);
  } else {
    setNmeaTitle(app);
  }
}

// A toggled view option: checks, then a repaint of the barogram.
template <typename T>
void toggleView(AppContext& app, T& option) {
  toggle(option);
  updateMenuChecks(app);
  repaintMain(app);
}

void setStep(AppContext& app, unsigned show) {
  app.settings.SHOW = show;
  app.settings.SAVE = 300;
  updateMenuChecks(app);
  loadHistory(app);
  repaintMain(app);
}

void setLanguage(AppContext& app, int language) {
  app.settings.LANG = static_cast<std::uint8_t>(language);
  setModeTitles(app);
  buildMenuBar(app);
  updateMenuChecks(app);
  applyPortAvailability(app);
  repaintMain(app);
}

void startSpectrum(AppContext& app, WindowId from) {
  if (!app.platform.windows.startProgram("dft.exe")) {
    app.platform.windows.messageBox("program dft.exe not found", "Error", platform::BoxIcon::Error);
  }
  app.platform.windows.invalidate(from);
}

void showInfo(AppContext& app, int commandId) {
  const InfoBox box = infoBoxFor(commandId, app.settings.LANG);
  app.platform.windows.ownerlessMessageBox(box.text, box.caption, platform::BoxIcon::Information);
}

} // namespace

void onWindowCreated(AppContext& app) {
  createScreenPens(app);
  createPrinterPens(app);
}

void onMainWindowDestroyed(AppContext& app) {
  app.platform.windows.postQuit(0);
}

void onTimer(AppContext& app) {
  auto& acq = app.acquisition;
  ++acq.ticksSinceSentence;
  if (acq.ticksSinceSentence > kTicksUntilInactive) {
    acq.ticksSinceSentence = kTicksUntilInactive;
    app.platform.windows.setTitle(WindowId::Values, kValuesWindowTitle);
  }
  if (!acq.acquisitionPaused) {
    acquisitionTick(app);
  }
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
  app.platform.windows.setScrollPosition(view.scrollPosition);
}

void paintWindow(AppContext& app, WindowId window, platform::Canvas& canvas) {
  switch (window) {
  case WindowId::Main:
    if (app.settings.DATA == 1) {
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
  Settings& s = app.settings;
  auto& windows = app.platform.windows;
  switch (commandId) {
  case cmd::PrintNmeaTable:
    choosePrinter(app);
    printNmeaTable(app);
    break;
  case cmd::PrintBarogram:
    choosePrinter(app);
    printBarogram(app);
    break;
  case cmd::Exit:
    if (from == WindowId::Main) {
      windows.postQuit(0);
    }
    break;
  case cmd::CheckLog:
    checkLogFile(app);
    break;
  case cmd::DeleteLog:
    // Neither a missing file nor one in use is reported; the event is written all the same.
    app.platform.files.remove(kLogFileName);
    // Records still waiting for the log belonged to the one just erased.
    app.recording.pending.clear();
    app.recording.dropReported = false;
    reportEvent(app, Event::LogErased);
    app.history.fill(HistorySample{});
    break;
  case cmd::DeleteNmea:
    app.platform.files.remove(kNmeaFileName);
    for (auto& row : app.nmea) {
      row.fill(0);
    }
    break;
  case cmd::ToggleT1:
    toggleView(app, s.T1);
    break;
  case cmd::ToggleT3:
    toggleView(app, s.T3);
    break;
  case cmd::ToggleVar:
    toggleView(app, s.VAR);
    break;
  case cmd::ToggleDks:
    toggleView(app, s.DKS);
    break;
  case cmd::ToggleDp:
    toggleView(app, s.DP);
    break;
  case cmd::ValuesWindow:
    if (s.DW != 0) {
      s.DW = 0;
      closeValuesWindow(app);
    } else {
      s.DW = 1;
      openValuesWindow(app);
      windows.invalidate(WindowId::Values);
    }
    updateMenuChecks(app);
    repaintMain(app);
    break;
  case cmd::ConverterWindow:
    if (s.AW != 0) {
      s.AW = 0;
      closeConverterWindow(app);
    } else {
      s.AW = 1;
      openConverterWindow(app);
      windows.invalidate(WindowId::Converter);
    }
    updateMenuChecks(app);
    repaintMain(app);
    break;
  case cmd::DiurnalWindow:
    openDiurnalWindow(app);
    windows.invalidate(WindowId::Diurnal);
    repaintMain(app);
    break;
  case cmd::Spectrum:
    startSpectrum(app, from);
    break;
  case cmd::KxMode:
    s.DATA = 1;
    app.acquisition.recordCounter = 0;
    app.history.fill(HistorySample{});
    setBarographTitles(app);
    updateMenuChecks(app);
    loadHistory(app);
    repaintMain(app);
    break;
  case cmd::NmeaMode:
    s.DATA = 0;
    app.acquisition.recordCounter = 0;
    for (auto& row : app.nmea) {
      row.fill(0);
    }
    setNmeaTitle(app);
    updateMenuChecks(app);
    repaintMain(app);
    break;
  case cmd::Com1:
  case cmd::Com2:
  case cmd::Com3:
  case cmd::Com4:
  case cmd::Com5:
  case cmd::Com6:
  case cmd::Com7:
  case cmd::Com8:
    for (std::size_t n = 0; n < kPortCommands.size(); ++n) {
      if (kPortCommands[n] == commandId) {
        changePort(app, static_cast<char>('1' + n));
      }
    }
    break;
  case cmd::Step5:
    setStep(app, 300);
    break;
  case cmd::Step10:
    setStep(app, 600);
    break;
  case cmd::Step15:
    setStep(app, 900);
    break;
  case cmd::Step30:
    setStep(app, 1800);
    break;
  case cmd::RecordOff:
    s.SAVE = 0;
    updateMenuChecks(app);
    break;
  case cmd::RecordOn:
    s.SAVE = 300;
    updateMenuChecks(app);
    break;
  case cmd::ToggleSig:
    toggle(s.SIG);
    updateMenuChecks(app);
    break;
  case cmd::ToggleErr:
    toggle(s.ERR);
    updateMenuChecks(app);
    break;
  case cmd::LangGerman:
  case cmd::LangEnglish:
  case cmd::LangFrench:
  case cmd::LangDutch:
  case cmd::LangItalian:
  case cmd::LangSpanish:
    for (std::size_t n = 0; n < kLanguageCommands.size(); ++n) {
      if (kLanguageCommands[n] == commandId) {
        setLanguage(app, static_cast<int>(n));
      }
    }
    break;
  case cmd::UnitHpa:
    app.view.pressureUnit = 0;
    updateMenuChecks(app);
    break;
  case cmd::UnitInchHg:
    app.view.pressureUnit = 1;
    updateMenuChecks(app);
    break;
  case cmd::ScaleNormal:
    s.LO = 0;
    updateMenuChecks(app);
    repaintMain(app);
    break;
  case cmd::ScaleLow:
    s.LO = 1;
    updateMenuChecks(app);
    repaintMain(app);
    break;
  case cmd::Correction:
    openCorrectionDialog(app);
    break;
  case cmd::Help:
  case cmd::About:
  case cmd::Cable:
  case cmd::DataFormats:
    showInfo(app, commandId);
    break;
  case cmd::CorrectionOk:
    applyCorrectionInput(app);
    break;
  default:
    break;
  }
}

} // namespace baromon
