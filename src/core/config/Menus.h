#pragma once

#include <array>
#include <cstdint>

#include "platform/Menu.h"

namespace baromon {

struct AppContext;

// Command identifiers of the menu bar and the correction popup.
namespace cmd {
constexpr int PrintNmeaTable = 1002;
constexpr int PrintBarogram = 1006;
constexpr int Exit = 1008;
constexpr int CheckLog = 1102;
constexpr int DeleteLog = 1104;
constexpr int DeleteNmea = 1106;
constexpr int ToggleT1 = 1200;
constexpr int ToggleT3 = 1202;
constexpr int ToggleVar = 1204;
constexpr int ToggleDks = 1228;
constexpr int ValuesWindow = 1230;
constexpr int ConverterWindow = 1232;
constexpr int DiurnalWindow = 1234;
constexpr int Spectrum = 1236;
constexpr int ToggleDp = 1237;
constexpr int KxMode = 1300;
constexpr int NmeaMode = 1302;
constexpr int Com1 = 1306;
constexpr int Com2 = 1308;
constexpr int Com3 = 1310;
constexpr int Com4 = 1320;
constexpr int Com5 = 1340;
constexpr int Com6 = 1360;
constexpr int Com7 = 1595;
constexpr int Com8 = 1596;
constexpr int Step5 = 1400;
constexpr int Step10 = 1410;
constexpr int Step15 = 1420;
constexpr int Step30 = 1430;
constexpr int RecordOff = 1440;
constexpr int RecordOn = 1460;
constexpr int ToggleSig = 1480;
constexpr int ToggleErr = 1500;
constexpr int LangGerman = 1530;
constexpr int LangEnglish = 1540;
constexpr int LangFrench = 1560;
constexpr int LangDutch = 1570;
constexpr int LangItalian = 1580;
constexpr int LangSpanish = 1590;
constexpr int UnitHpa = 1592;
constexpr int UnitInchHg = 1594;
constexpr int ScaleNormal = 1597;
constexpr int ScaleLow = 1598;
constexpr int Correction = 1599;
constexpr int Help = 1600;
constexpr int About = 1610;
constexpr int Cable = 1620;
constexpr int DataFormats = 1630;
constexpr int CorrectionOk = 4000;
} // namespace cmd

// The port items COM1..COM8, in port order.
constexpr std::array<int, 8> kPortCommands = {cmd::Com1, cmd::Com2, cmd::Com3, cmd::Com4,
                                              cmd::Com5, cmd::Com6, cmd::Com7, cmd::Com8};
// The language items, by Language index.
constexpr std::array<int, 6> kLanguageCommands = {cmd::LangGerman, cmd::LangEnglish, cmd::LangFrench,
                                                  cmd::LangDutch,  cmd::LangItalian, cmd::LangSpanish};

// The menu bar currently shown, and which ports the start-up probe could open.
struct MenuState {
  platform::MenuBar bar;
  std::array<std::uint8_t, 8> portAvailable{}; // PortAvailable, COM1..COM8
};

// The bar of a language (0..5; other values give the German bar), every item enabled and unchecked.
platform::MenuBar menuBarFor(int language);

// Builds the bar in the current language and attaches it to the main window.
void buildMenuBar(AppContext& app);
// Sets check marks and greys the two language items that can only be chosen in monitor.ini.
void updateMenuChecks(AppContext& app);
// Tries to open COM1..COM8, records which could be opened and greys the others.
void probePorts(AppContext& app);
// Greys or enables the port items from the last probe, without probing again.
void applyPortAvailability(AppContext& app);

// Check and grey by identifier; identifiers the current bar lacks are ignored.
void checkMenuItem(AppContext& app, int commandId, bool checked);
void enableMenuItem(AppContext& app, int commandId, bool enabled);

} // namespace baromon
