#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/Menus.h"
#include "support/TestApp.h"

namespace baromon {
namespace {

using fakes::TestApp;

// The identifiers of one popup top to bottom, separators as 0.
std::vector<int> idsOf(const platform::MenuPopup& popup) {
  std::vector<int> ids;
  for (const auto& item : popup.items) {
    ids.push_back(item.separator ? 0 : item.id);
  }
  return ids;
}

const std::vector<int> kFile = {cmd::PrintNmeaTable, cmd::PrintBarogram, 0, cmd::Exit};
const std::vector<int> kEdit = {cmd::CheckLog, cmd::DeleteLog, cmd::DeleteNmea};
const std::vector<int> kView = {
    cmd::ToggleT1,     cmd::ToggleT3,        cmd::ToggleVar,     cmd::ToggleDks, cmd::ToggleDp, 0,
    cmd::ValuesWindow, cmd::ConverterWindow, cmd::DiurnalWindow, cmd::Spectrum};
const std::vector<int> kViewDutch = {cmd::ToggleT1,     cmd::ToggleT3,        cmd::ToggleVar,
                                     cmd::ToggleDks,    cmd::ToggleDp,        0,
                                     cmd::ValuesWindow, cmd::ConverterWindow, cmd::DiurnalWindow};
const std::vector<int> kSettingsWithUnits = {cmd::KxMode,
                                             cmd::NmeaMode,
                                             0,
                                             cmd::Com1,
                                             cmd::Com2,
                                             cmd::Com3,
                                             cmd::Com4,
                                             cmd::Com5,
                                             cmd::Com6,
                                             cmd::Com7,
                                             cmd::Com8,
                                             0,
                                             cmd::Step5,
                                             cmd::Step10,
                                             cmd::Step15,
                                             cmd::Step30,
                                             0,
                                             cmd::RecordOff,
                                             cmd::RecordOn,
                                             0,
                                             cmd::ToggleSig,
                                             cmd::ToggleErr,
                                             0,
                                             cmd::UnitHpa,
                                             cmd::UnitInchHg,
                                             0,
                                             cmd::ScaleNormal,
                                             cmd::ScaleLow,
                                             cmd::Correction,
                                             0,
                                             cmd::LangGerman,
                                             cmd::LangEnglish,
                                             cmd::LangFrench,
                                             cmd::LangDutch,
                                             cmd::LangItalian,
                                             cmd::LangSpanish};
const std::vector<int> kSettingsNoUnits = {cmd::KxMode,
                                           cmd::NmeaMode,
                                           0,
                                           cmd::Com1,
                                           cmd::Com2,
                                           cmd::Com3,
                                           cmd::Com4,
                                           cmd::Com5,
                                           cmd::Com6,
                                           cmd::Com7,
                                           cmd::Com8,
                                           0,
                                           cmd::Step5,
                                           cmd::Step10,
                                           cmd::Step15,
                                           cmd::Step30,
                                           0,
                                           cmd::RecordOff,
                                           cmd::RecordOn,
                                           0,
                                           cmd::ToggleSig,
                                           cmd::ToggleErr,
                                           0,
                                           cmd::ScaleNormal,
                                           cmd::ScaleLow,
                                           cmd::Correction,
                                           0,
                                           cmd::LangGerman,
                                           cmd::LangEnglish,
                                           cmd::LangFrench,
                                           cmd::LangDutch,
                                           cmd::LangItalian,
                                           cmd::LangSpanish};
const std::vector<int> kHelp = {cmd::Help, cmd::About, cmd::Cable, cmd::DataFormats};

TEST(MenuBar, PopupsAndItemOrderPerLanguage) {
  struct Case {
    const char* legend;
    int lang;
    std::vector<std::string> titles;
    const std::vector<int>* view;
    const std::vector<int>* settings;
  };
  const Case cases[] = {
      {"German",
       0,
       {"&Datei", "&Bearbeiten", "&Ansicht", "&Einstellungen", "&Hilfe"},
       &kView,
       &kSettingsWithUnits},
      {"English", 1, {"&File", "&Edit", "&View", "&Setup", "&Help"}, &kView, &kSettingsWithUnits},
      {"French: no unit items",
       2,
       {"&Fichier", "&Modifier", "&Vue", "&Options", "&Aide"},
       &kView,
       &kSettingsNoUnits},
      {"Dutch: no spectrum item",
       3,
       {"&Bestand", "&Edit", "&Zien", "&Optien", "&Help"},
       &kViewDutch,
       &kSettingsNoUnits},
      {"Italian", 4, {"&File", "&Modifica", "&Vista", "&Opzioni", "&Aiuto"}, &kView, &kSettingsNoUnits},
      {"Spanish", 5, {"&Archivo", "&Modificar", "&Vista", "&Opciones", "&Ayuda"}, &kView, &kSettingsNoUnits},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const auto bar = menuBarFor(c.lang);
    ASSERT_EQ(bar.popups.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(bar.popups[i].title, c.titles[i]);
    }
    EXPECT_EQ(idsOf(bar.popups[0]), kFile);
    EXPECT_EQ(idsOf(bar.popups[1]), kEdit);
    EXPECT_EQ(idsOf(bar.popups[2]), *c.view);
    EXPECT_EQ(idsOf(bar.popups[3]), *c.settings);
    EXPECT_EQ(idsOf(bar.popups[4]), kHelp);
    for (const auto& popup : bar.popups) {
      for (const auto& item : popup.items) {
        EXPECT_FALSE(item.checked);
        EXPECT_TRUE(item.enabled);
      }
    }
  }
}

TEST(MenuBar, TextsByteForByte) {
  struct Case {
    const char* legend;
    int lang;
    int id;
    std::string text;
  };
  const Case cases[] = {
      {"umlaut u is 0xFC", 0, cmd::CheckLog,
       "Messdaten &pr\xFC"
       "fen"},
      {"umlaut o is 0xF6", 0, cmd::DeleteLog, "&Datei monitor.txt l\xF6schen"},
      {"Dutch keeps the German check item", 3, cmd::CheckLog,
       "Messdaten &pr\xFC"
       "fen"},
      {"Dutch print item adds (Farbe)", 3, cmd::PrintBarogram, "Messkurve &ausdrucken (Farbe)"},
      {"Spanish nmea delete item is German", 5, cmd::DeleteNmea, "&Datei nmea.txt l\xF6schen"},
      {"double blank in the 5 minute step", 0, cmd::Step5, "Messdaten in 5  Minuten Schritten anzeigen"},
      {"French 5 minute step double blank", 2, cmd::Step5, "Decalage 5  minutes"},
      {"French 10 minute step spelt minuten", 2, cmd::Step10, "Decalage 10 minuten"},
      {"Spanish 5 minute step double blank", 5, cmd::Step5, "Intervalo 5  minutos"},
      {"Spanish 15 minute step is German", 5, cmd::Step15, "Messdaten in 15 Minuten Schritten anzeigen"},
      {"Spanish spectrum with trailing blank", 5, cmd::Spectrum, "Spektrum "},
      {"French grave accent 0x60", 2, cmd::Correction,
       "correction d\x60"
       "altitude"},
      {"Italian grave accent 0x60", 4, cmd::Correction,
       "correzione dell\x60"
       "altitudine"},
      {"Spanish correction is German", 5, cmd::Correction, "H\xF6henkorrektur"},
      {"English exit without access key", 1, cmd::Exit, "Exit"},
      {"Dutch exit", 3, cmd::Exit, "&Afsluiten"},
      {"Dutch port item is bare", 3, cmd::Com8, "COM8"},
      {"English unit", 1, cmd::UnitHpa, "Units hPa (Hectopascal)"},
      {"Italian normal scale", 4, cmd::ScaleNormal, "950..1050 hPa (normale)"},
      {"language items are never translated", 4, cmd::LangFrench, "Francais"},
      {"Dutch diurnal item", 3, cmd::DiurnalWindow, "Fenster mit Tagesgang anzeigen"},
      {"French beep item", 2, cmd::ToggleSig, "Ton d alarme si la pression tombe rapidement"},
      {"Italian help", 4, cmd::Help, "Leggimi"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    auto bar = menuBarFor(c.lang);
    const auto* item = bar.find(c.id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text, c.text);
  }
}

struct MenuFixture : ::testing::Test {
  TestApp t;
  AppContext& app = t.app;
  platform::MenuItem item(int id) {
    const auto* found = t.windows.menuBar.find(id);
    EXPECT_NE(found, nullptr) << id;
    return found != nullptr ? *found : platform::MenuItem{};
  }
  // Model and front end must agree on every item.
  void expectFrontEndMatchesModel() {
    ASSERT_EQ(t.windows.menuBar.popups.size(), app.shell.menus.bar.popups.size());
    for (std::size_t p = 0; p < app.shell.menus.bar.popups.size(); ++p) {
      const auto& a = app.shell.menus.bar.popups[p].items;
      const auto& b = t.windows.menuBar.popups[p].items;
      ASSERT_EQ(a.size(), b.size());
      for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].checked, b[i].checked) << a[i].id;
        EXPECT_EQ(a[i].enabled, b[i].enabled) << a[i].id;
      }
    }
  }
  void setDefaults() {
    app.settings.dataMode = DataMode::Kx;
    app.settings.displayStep = 300;
    app.settings.recordInterval = 300;
    app.settings.drawTendency1h = app.settings.drawTendency3h = app.settings.drawVariation = 1;
    app.settings.logEvents = 1;
    app.settings.portDigit = '2';
  }
};

TEST_F(MenuFixture, ChecksFollowTheOptions) {
  setDefaults();
  buildMenuBar(app);
  updateMenuChecks(app);
  struct Case {
    const char* legend;
    int id;
    bool checked;
  };
  const Case defaults[] = {
      {"beep off", cmd::ToggleSig, false},
      {"variation bars off", cmd::ToggleDks, false},
      {"values window off", cmd::ValuesWindow, false},
      {"converter window off", cmd::ConverterWindow, false},
      {"paper look off", cmd::ToggleDp, false},
      {"5 minute step", cmd::Step5, true},
      {"10 minute step", cmd::Step10, false},
      {"recording on", cmd::RecordOn, true},
      {"not recording off", cmd::RecordOff, false},
      {"event log", cmd::ToggleErr, true},
      {"1 h curve", cmd::ToggleT1, true},
      {"3 h curve", cmd::ToggleT3, true},
      {"variation curve", cmd::ToggleVar, true},
      {"normal scale", cmd::ScaleNormal, true},
      {"low scale", cmd::ScaleLow, false},
      {"port 2", cmd::Com2, true},
      {"port 1", cmd::Com1, false},
      {"KX mode", cmd::KxMode, true},
      {"NMEA mode", cmd::NmeaMode, false},
      {"German", cmd::LangGerman, true},
      {"English", cmd::LangEnglish, false},
      {"hPa", cmd::UnitHpa, true},
      {"inch Hg", cmd::UnitInchHg, false},
  };
  for (const auto& c : defaults) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(item(c.id).checked, c.checked);
  }
  EXPECT_FALSE(item(cmd::LangDutch).enabled) << "Dutch is greyed";
  EXPECT_FALSE(item(cmd::LangSpanish).enabled) << "Spanish is greyed";
  EXPECT_TRUE(item(cmd::LangFrench).enabled);

  app.settings.beepOnFastFall = 1;
  app.settings.variationBars = 1;
  app.settings.valuesWindow = 1;
  app.settings.converterWindow = 1;
  app.settings.paperLook = 1;
  app.settings.displayStep = 1800;
  app.settings.recordInterval = 0;
  app.settings.logEvents = 0;
  app.settings.drawTendency1h = app.settings.drawTendency3h = app.settings.drawVariation = 0;
  app.settings.lowScale = 1;
  app.settings.dataMode = DataMode::Nmea;
  app.settings.portDigit = '5';
  app.view.pressureUnit = PressureUnit::InchHg;
  updateMenuChecks(app);
  const Case changed[] = {
      {"beep on", cmd::ToggleSig, true},
      {"variation bars on", cmd::ToggleDks, true},
      {"values window on", cmd::ValuesWindow, true},
      {"converter window on", cmd::ConverterWindow, true},
      {"paper look on", cmd::ToggleDp, true},
      {"30 minute step", cmd::Step30, true},
      {"5 minute step off", cmd::Step5, false},
      {"recording off", cmd::RecordOff, true},
      {"recording on unchecked", cmd::RecordOn, false},
      {"event log off", cmd::ToggleErr, false},
      {"1 h curve off", cmd::ToggleT1, false},
      {"3 h curve off", cmd::ToggleT3, false},
      {"variation off", cmd::ToggleVar, false},
      {"low scale", cmd::ScaleLow, true},
      {"normal scale off", cmd::ScaleNormal, false},
      {"port 5", cmd::Com5, true},
      {"port 2 off", cmd::Com2, false},
      {"NMEA mode", cmd::NmeaMode, true},
      {"KX mode off", cmd::KxMode, false},
      {"inch Hg", cmd::UnitInchHg, true},
      {"hPa off", cmd::UnitHpa, false},
  };
  for (const auto& c : changed) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(item(c.id).checked, c.checked);
  }
  int portChecks = 0;
  for (int id : kPortCommands) {
    portChecks += item(id).checked ? 1 : 0;
  }
  EXPECT_EQ(portChecks, 1);
  expectFrontEndMatchesModel();
}

TEST_F(MenuFixture, StepOutsideTheFourValuesLeavesTheStepItemsAlone) {
  setDefaults();
  app.settings.displayStep = 600;
  buildMenuBar(app);
  updateMenuChecks(app);
  app.settings.displayStep = 1200;
  updateMenuChecks(app);
  EXPECT_TRUE(item(cmd::Step10).checked);
  EXPECT_FALSE(item(cmd::Step5).checked);
  EXPECT_FALSE(item(cmd::Step15).checked);
}

TEST_F(MenuFixture, ChecksOnItemsTheLanguageLacksAreIgnored) {
  setDefaults();
  app.settings.language = 2; // French: no unit items
  buildMenuBar(app);
  app.view.pressureUnit = PressureUnit::InchHg;
  updateMenuChecks(app);
  EXPECT_EQ(app.shell.menus.bar.find(cmd::UnitHpa), nullptr);
  EXPECT_EQ(app.shell.menus.bar.find(cmd::UnitInchHg), nullptr);
  auto countMarks = [&] {
    int marks = 0;
    for (const auto& popup : app.shell.menus.bar.popups) {
      for (const auto& i : popup.items) {
        marks += (i.checked ? 1 : 0) + (i.enabled ? 0 : 100);
      }
    }
    return marks;
  };
  const int before = countMarks();
  checkMenuItem(app, cmd::UnitHpa, true);
  checkMenuItem(app, cmd::UnitInchHg, true);
  enableMenuItem(app, cmd::UnitInchHg, false);
  checkMenuItem(app, 0, true); // separators carry id 0 and are never touched
  EXPECT_EQ(countMarks(), before);
  expectFrontEndMatchesModel();
}

TEST_F(MenuFixture, ProbeGreysPortsThatCannotBeOpened) {
  setDefaults();
  t.ports.add("COM1");
  t.ports.add("COM2");
  t.ports.add("COM7");
  buildMenuBar(app);
  probePorts(app);
  const bool expected[8] = {true, true, false, false, false, false, true, false};
  for (std::size_t n = 0; n < 8; ++n) {
    SCOPED_TRACE(n + 1);
    EXPECT_EQ(app.shell.menus.portAvailable[n], expected[n] ? 1 : 0);
    EXPECT_EQ(item(kPortCommands[n]).enabled, expected[n]);
    EXPECT_EQ(t.ports.opens["COM" + std::to_string(n + 1)], 1) << "each port is tried once";
  }
  EXPECT_EQ(app.serial.portName, "COM2") << "the probe leaves the program's port alone";

  // A new bar after a language change comes up all enabled; the stored flags restore the greying.
  app.settings.language = 1;
  buildMenuBar(app);
  EXPECT_TRUE(item(cmd::Com3).enabled);
  updateMenuChecks(app);
  applyPortAvailability(app);
  for (std::size_t n = 0; n < 8; ++n) {
    EXPECT_EQ(item(kPortCommands[n]).enabled, expected[n]);
  }
  EXPECT_EQ(t.ports.opens["COM3"], 1) << "no second probe";
  expectFrontEndMatchesModel();
}

} // namespace
} // namespace baromon
