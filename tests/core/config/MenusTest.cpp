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

const std::vector<int> kFile = {1002, 1006, 0, 1008};
const std::vector<int> kEdit = {1102, 1104, 1106};
const std::vector<int> kView = {1200, 1202, 1204, 1228, 1237, 0, 1230, 1232, 1234, 1236};
const std::vector<int> kViewDutch = {1200, 1202, 1204, 1228, 1237, 0, 1230, 1232, 1234};
const std::vector<int> kSettingsWithUnits = {
    1300, 1302, 0,    1306, 1308, 1310, 1320, 1340, 1360, 1595, 1596, 0, 1400, 1410, 1420, 1430, 0,    1440,
    1460, 0,    1480, 1500, 0,    1592, 1594, 0,    1597, 1598, 1599, 0, 1530, 1540, 1560, 1570, 1580, 1590};
const std::vector<int> kSettingsNoUnits = {1300, 1302, 0,    1306, 1308, 1310, 1320, 1340, 1360, 1595, 1596,
                                           0,    1400, 1410, 1420, 1430, 0,    1440, 1460, 0,    1480, 1500,
                                           0,    1597, 1598, 1599, 0,    1530, 1540, 1560, 1570, 1580, 1590};
const std::vector<int> kHelp = {1600, 1610, 1620, 1630};

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
      {"umlaut u is 0xFC", 0, 1102,
       "Messdaten &pr\xFC"
       "fen"},
      {"umlaut o is 0xF6", 0, 1104, "&Datei monitor.txt l\xF6schen"},
      {"Dutch keeps the German check item", 3, 1102,
       "Messdaten &pr\xFC"
       "fen"},
      {"Dutch print item adds (Farbe)", 3, 1006, "Messkurve &ausdrucken (Farbe)"},
      {"Spanish nmea delete item is German", 5, 1106, "&Datei nmea.txt l\xF6schen"},
      {"double blank in the 5 minute step", 0, 1400, "Messdaten in 5  Minuten Schritten anzeigen"},
      {"French 5 minute step double blank", 2, 1400, "Decalage 5  minutes"},
      {"French 10 minute step spelt minuten", 2, 1410, "Decalage 10 minuten"},
      {"Spanish 5 minute step double blank", 5, 1400, "Intervalo 5  minutos"},
      {"Spanish 15 minute step is German", 5, 1420, "Messdaten in 15 Minuten Schritten anzeigen"},
      {"Spanish spectrum with trailing blank", 5, 1236, "Spektrum "},
      {"French grave accent 0x60", 2, 1599,
       "correction d\x60"
       "altitude"},
      {"Italian grave accent 0x60", 4, 1599,
       "correzione dell\x60"
       "altitudine"},
      {"Spanish correction is German", 5, 1599, "H\xF6henkorrektur"},
      {"English exit without access key", 1, 1008, "Exit"},
      {"Dutch exit", 3, 1008, "&Afsluiten"},
      {"Dutch port item is bare", 3, 1596, "COM8"},
      {"English unit", 1, 1592, "Units hPa (Hectopascal)"},
      {"Italian normal scale", 4, 1597, "950..1050 hPa (normale)"},
      {"language items are never translated", 4, 1560, "Francais"},
      {"Dutch diurnal item", 3, 1234, "Fenster mit Tagesgang anzeigen"},
      {"French beep item", 2, 1480, "Ton d alarme si la pression tombe rapidement"},
      {"Italian help", 4, 1600, "Leggimi"},
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
    app.settings.DATA = 1;
    app.settings.SHOW = 300;
    app.settings.SAVE = 300;
    app.settings.T1 = app.settings.T3 = app.settings.VAR = 1;
    app.settings.ERR = 1;
    app.settings.COM = '2';
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
      {"beep off", 1480, false},
      {"variation bars off", 1228, false},
      {"values window off", 1230, false},
      {"converter window off", 1232, false},
      {"paper look off", 1237, false},
      {"5 minute step", 1400, true},
      {"10 minute step", 1410, false},
      {"recording on", 1460, true},
      {"not recording off", 1440, false},
      {"event log", 1500, true},
      {"1 h curve", 1200, true},
      {"3 h curve", 1202, true},
      {"variation curve", 1204, true},
      {"normal scale", 1597, true},
      {"low scale", 1598, false},
      {"port 2", 1308, true},
      {"port 1", 1306, false},
      {"KX mode", 1300, true},
      {"NMEA mode", 1302, false},
      {"German", 1530, true},
      {"English", 1540, false},
      {"hPa", 1592, true},
      {"inch Hg", 1594, false},
  };
  for (const auto& c : defaults) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(item(c.id).checked, c.checked);
  }
  EXPECT_FALSE(item(1570).enabled) << "Dutch is greyed";
  EXPECT_FALSE(item(1590).enabled) << "Spanish is greyed";
  EXPECT_TRUE(item(1560).enabled);

  app.settings.SIG = 1;
  app.settings.DKS = 1;
  app.settings.DW = 1;
  app.settings.AW = 1;
  app.settings.DP = 1;
  app.settings.SHOW = 1800;
  app.settings.SAVE = 0;
  app.settings.ERR = 0;
  app.settings.T1 = app.settings.T3 = app.settings.VAR = 0;
  app.settings.LO = 1;
  app.settings.DATA = 0;
  app.settings.COM = '5';
  app.view.pressureUnit = 1;
  updateMenuChecks(app);
  const Case changed[] = {
      {"beep on", 1480, true},
      {"variation bars on", 1228, true},
      {"values window on", 1230, true},
      {"converter window on", 1232, true},
      {"paper look on", 1237, true},
      {"30 minute step", 1430, true},
      {"5 minute step off", 1400, false},
      {"recording off", 1440, true},
      {"recording on unchecked", 1460, false},
      {"event log off", 1500, false},
      {"1 h curve off", 1200, false},
      {"3 h curve off", 1202, false},
      {"variation off", 1204, false},
      {"low scale", 1598, true},
      {"normal scale off", 1597, false},
      {"port 5", 1340, true},
      {"port 2 off", 1308, false},
      {"NMEA mode", 1302, true},
      {"KX mode off", 1300, false},
      {"inch Hg", 1594, true},
      {"hPa off", 1592, false},
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
  app.settings.SHOW = 600;
  buildMenuBar(app);
  updateMenuChecks(app);
  app.settings.SHOW = 1200;
  updateMenuChecks(app);
  EXPECT_TRUE(item(1410).checked);
  EXPECT_FALSE(item(1400).checked);
  EXPECT_FALSE(item(1420).checked);
}

TEST_F(MenuFixture, ChecksOnItemsTheLanguageLacksAreIgnored) {
  setDefaults();
  app.settings.LANG = 2; // French: no unit items
  buildMenuBar(app);
  app.view.pressureUnit = 1;
  updateMenuChecks(app);
  EXPECT_EQ(app.shell.menus.bar.find(1592), nullptr);
  EXPECT_EQ(app.shell.menus.bar.find(1594), nullptr);
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
  checkMenuItem(app, 1592, true);
  checkMenuItem(app, 1594, true);
  enableMenuItem(app, 1594, false);
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
  app.settings.LANG = 1;
  buildMenuBar(app);
  EXPECT_TRUE(item(1310).enabled);
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
