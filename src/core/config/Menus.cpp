#include "core/config/Menus.h"

#include <string>

#include "core/state/AppContext.h"

namespace baromon {

namespace {

using platform::MenuBar;
using platform::MenuItem;
using platform::MenuPopup;

// A present separator; nullptr marks an entry the language's menu lacks.
constexpr const char* kSep = "";

struct Row {
  int id; // 0 = separator
  int popup;
  const char* text[kLanguageCount]; // German, English, French, Dutch, Italian, Spanish
};

// Popup titles, File, Edit, View, Settings, Help.
constexpr const char* kTitles[5][kLanguageCount] = {
    {"&Datei", "&File", "&Fichier", "&Bestand", "&File", "&Archivo"},
    {"&Bearbeiten", "&Edit", "&Modifier", "&Edit", "&Modifica", "&Modificar"},
    {"&Ansicht", "&View", "&Vue", "&Zien", "&Vista", "&Vista"},
    {"&Einstellungen", "&Setup", "&Options", "&Optien", "&Opzioni", "&Opciones"},
    {"&Hilfe", "&Help", "&Aide", "&Help", "&Aiuto", "&Ayuda"},
};

// Every entry of every popup, top to bottom, in all six languages (Windows-1252).
// The Dutch and Spanish menus are partly German on purpose; the grave accents in
// the French and Italian correction items are what those menus have always shown.
constexpr Row kRows[] = {
    {cmd::PrintNmeaTable,
     0,
     {"&NMEA-Daten als Tabelle ausdrucken", "Print NMEA-data list", "Imprimer entrees NMEA",
      "&NMEA-Daten als Tabelle ausdrucken", "&Impostare i dati NMEA", "Imprimar datas NMEA"}},
    {cmd::PrintBarogram,
     0,
     {"Messkurve &ausdrucken", "Print data", "Imprimer entrees en couleurs", "Messkurve &ausdrucken (Farbe)",
      "Impostare &i dati", "Imprimar datas"}},
    {0, 0, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::Exit, 0, {"&Beenden", "Exit", "Quitter", "&Afsluiten", "&Esci", "&Salir"}},
    {cmd::CheckLog,
     1,
     {"Messdaten &pr\xFC"
      "fen",
      "Check data", "Verifier fichier monitor.txt",
      "Messdaten &pr\xFC"
      "fen",
      "Esaminare i dati", "Esaminar datas"}},
    {cmd::DeleteLog,
     1,
     {"&Datei monitor.txt l\xF6schen", "Delete file monitor.txt", "Effacer fichier monitor.txt",
      "&Datei monitor.txt l\xF6schen", "&Cancellare monitor.txt", "&Cancellar monitor.txt"}},
    {cmd::DeleteNmea,
     1,
     {"&Datei nmea.txt l\xF6schen", "Delete file nmea.txt", "Effacer fichier nmea.txt",
      "&Datei nmea.txt l\xF6schen", "Cancellare nmea.txt", "&Datei nmea.txt l\xF6schen"}},
    {cmd::ToggleT1,
     2,
     {"Einstundentendenz anzeigen", "Show one hour tendency", "Tendence 1 h visible",
      "Einstundentendenz anzeigen", "Tendenza 1 ora", "Tendenza una ora"}},
    {cmd::ToggleT3,
     2,
     {"Dreistundentendenz anzeigen", "Show three hour tendency", "Tendence 3 h visible",
      "Dreistundentendenz anzeigen", "Tendenza 3 ore", "Tendenza tres oras"}},
    {cmd::ToggleVar,
     2,
     {"Druckschwankungen anzeigen", "Show pressure variations", "Variations de la pression sont visibles",
      "Druckschwankungen anzeigen", "Variazioni della pressione", "Variaciones de la presion"}},
    {cmd::ToggleDks,
     2,
     {"Luftdruck mit Druckschwankungen anzeigen", "Show pressure curve with variations",
      "Pression atmospherique avec variations", "Luftdruck mit Druckschwankungen anzeigen",
      "Pressione con variazioni", "Pression atmosferica con variaciones"}},
    {cmd::ToggleDp,
     2,
     {"Barogramm wie auf Papier anzeigen", "Show old fashion paper barogram", "Barogramme comme sur papier",
      "Barogramm wie auf Papier anzeigen", "Barogramma come su carta", "Barogramm wie auf Papier anzeigen"}},
    {0, 2, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::ValuesWindow,
     2,
     {"Aktuelle Messwerte anzeigen", "Actual values", "Valeurs des dernieres mesures",
      "Fenster mit aktuellen Daten anzeigen", "Finestra valori attuali",
      "Fenster mit aktuellen Daten anzeigen"}},
    {cmd::ConverterWindow,
     2,
     {"AD Werte anzeigen", "AD", "AD", "Fenster mit AD Werten anzeigen", "Finestra valori AD",
      "Fenster mit AD Werten anzeigen"}},
    {cmd::DiurnalWindow,
     2,
     {"Tagesgang Luftdruck", "Diurnal rhythm", "Rhythme journalier", "Fenster mit Tagesgang anzeigen",
      "Calcolo ritmo giornaliero", "Tagesgang"}},
    {cmd::Spectrum, 2, {"Spektralanalyse", "Spectrum analysis", "Spectre", nullptr, "Spettro", "Spektrum "}},
    {cmd::KxMode,
     3,
     {"KX Daten", "KX barograph data", "Barographe KX", "KX Daten", "Dati barografo KX",
      "Datas barografo KX"}},
    {cmd::NmeaMode, 3, {"NMEA Daten", "NMEA data", "NMEA", "NMEA Daten", "Dati NMEA", "Datas NMEA"}},
    {0, 3, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::Com1,
     3,
     {"serielle Schnittstelle COM1 auswaehlen", "Use port COM1", "Porte serielle COM1", "COM1",
      "Porta seriale COM1", "Puerta COM1"}},
    {cmd::Com2,
     3,
     {"serielle Schnittstelle COM2 auswaehlen", "Use port COM2", "Porte serielle COM2", "COM2",
      "Porta seriale COM2", "Puerta COM2"}},
    {cmd::Com3,
     3,
     {"serielle Schnittstelle COM3 auswaehlen", "Use port COM3", "Porte serielle COM3", "COM3",
      "Porta seriale COM3", "Puerta COM3"}},
    {cmd::Com4,
     3,
     {"serielle Schnittstelle COM4 auswaehlen", "Use port COM4", "Porte serielle COM4", "COM4",
      "Porta seriale COM4", "Puerta COM4"}},
    {cmd::Com5,
     3,
     {"serielle Schnittstelle COM5 auswaehlen", "Use port COM5", "Porte serielle COM5", "COM5",
      "Porta seriale COM5", "Puerta COM5"}},
    {cmd::Com6,
     3,
     {"serielle Schnittstelle COM6 auswaehlen", "Use port COM6", "Porte serielle COM6", "COM6",
      "Porta seriale COM6", "Puerta COM6"}},
    {cmd::Com7,
     3,
     {"serielle Schnittstelle COM7 auswaehlen", "Use port COM7", "Porte serielle COM7", "COM7",
      "Porta seriale COM7", "Puerta COM7"}},
    {cmd::Com8,
     3,
     {"serielle Schnittstelle COM8 auswaehlen", "Use port COM8", "Porte serielle COM8", "COM8",
      "Porta seriale COM8", "Puerta COM8"}},
    {0, 3, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::Step5,
     3,
     {"Messdaten in 5  Minuten Schritten anzeigen", "Show data in 5 minute steps", "Decalage 5  minutes",
      "Messdaten in 5  Minuten Schritten anzeigen", "Intervallo 5 minuti", "Intervalo 5  minutos"}},
    {cmd::Step10,
     3,
     {"Messdaten in 10 Minuten Schritten anzeigen", "Show data in 10 minute steps", "Decalage 10 minuten",
      "Messdaten in 10 Minuten Schritten anzeigen", "Intervallo 10 minuti", "Intervalo 10 minutos"}},
    {cmd::Step15,
     3,
     {"Messdaten in 15 Minuten Schritten anzeigen", "Show data in 15 minute steps", "Decalage 15 minutes",
      "Messdaten in 15 Minuten Schritten anzeigen", "Intervallo 15 minuti",
      "Messdaten in 15 Minuten Schritten anzeigen"}},
    {cmd::Step30,
     3,
     {"Messdaten in 30 Minuten Schritten anzeigen", "Show data in 30 minute steps", "Decalage 30 minutes",
      "Messdaten in 30 Minuten Schritten anzeigen", "Intervallo 30 minuti",
      "Messdaten in 30 Minuten Schritten anzeigen"}},
    {0, 3, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::RecordOff,
     3,
     {"Messdaten nicht aufzeichnen", "Do not save data on harddisk",
      "Ne pas sauver les dates sur disque fixe", "Messdaten nicht aufzeichnen",
      "Non salvare i dati sul disco fisso", "Messdaten nicht aufzeichnen"}},
    {cmd::RecordOn,
     3,
     {"Messdaten alle 5 Minuten auf Festplatte speichern", "Save data every 5 minutes on harddisk",
      "Sauver les entrees sur disque tous les 5 minutes", "Messdaten alle 5 Minuten auf Festplatte speichern",
      "Salvare i dati registrati sul disco ogni 5 minuti",
      "Messdaten alle 5 Minuten auf Festplatte speichern"}},
    {0, 3, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::ToggleSig,
     3,
     {"Signalton bei starkem Druckabfall", "Beep tone if pressure drops",
      "Ton d alarme si la pression tombe rapidement", "Signalton",
      "Tono di allarme se la pressione diminuisce", "Signalton"}},
    {cmd::ToggleErr,
     3,
     {"Fehler in Datei monitor.err protokollieren", "Protocol errors in file monitor.err",
      "Sauver erreurs en fichier monitor.err", "Fehler in Datei monitor.err protokollieren",
      "Protocollare errori in monitor.err", "Fehler in Datei monitor.err protokollieren"}},
    {0, 3, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::UnitHpa,
     3,
     {"Einheit hPa (Hektopascal)", "Units hPa (Hectopascal)", nullptr, nullptr, nullptr, nullptr}},
    {cmd::UnitInchHg, 3, {"Einheit inch Hg", "Units inch Hg", nullptr, nullptr, nullptr, nullptr}},
    {0, 3, {kSep, kSep, nullptr, nullptr, nullptr, nullptr}},
    {cmd::ScaleNormal,
     3,
     {"Anzeigebereich 950..1050 hPa (normal)", "950..1050 hPa (normal)", "950..1050 hPa (normal)",
      "950..1050 hPa (normal)", "950..1050 hPa (normale)", "950..1050 hPa (normal)"}},
    {cmd::ScaleLow,
     3,
     {"Anzeigebereich 900..1000 hPa", "900..1000 hPa", "900..1000 hPa", "900..1000 hPa", "900..1000 hPa",
      "900..1000 hPa"}},
    {cmd::Correction,
     3,
     {"H\xF6henkorrektur", "height correction", "correction d`altitude", "H\xF6henkorrektur",
      "correzione dell`altitudine", "H\xF6henkorrektur"}},
    {0, 3, {kSep, kSep, kSep, kSep, kSep, kSep}},
    {cmd::LangGerman, 3, {"Deutsch", "Deutsch", "Deutsch", "Deutsch", "Deutsch", "Deutsch"}},
    {cmd::LangEnglish, 3, {"English", "English", "English", "English", "English", "English"}},
    {cmd::LangFrench, 3, {"Francais", "Francais", "Francais", "Francais", "Francais", "Francais"}},
    {cmd::LangDutch, 3, {"Nederlands", "Nederlands", "Nederlands", "Nederlands", "Nederlands", "Nederlands"}},
    {cmd::LangItalian, 3, {"Italiano", "Italiano", "Italiano", "Italiano", "Italiano", "Italiano"}},
    {cmd::LangSpanish, 3, {"Espanol", "Espanol", "Espanol", "Espanol", "Espanol", "Espanol"}},
    {cmd::Help,
     4,
     {"Hilfen zum Programm", "Program help", "Aide", "Hilfen zum Programm", "Leggimi",
      "Hilfen zum Programm"}},
    {cmd::About,
     4,
     {"Informationen zum Programm", "About this program", "A propos de ce logiciel",
      "Informationen zum Programm", "A proposito di questo programma", "Informationen zum Programm"}},
    {cmd::Cable,
     4,
     {"Anschlusskabel", "Link cable info", "Info cable de liaison", "Anschlusskabel", "Cavo di collegamento",
      "Anschlusskabel"}},
    {cmd::DataFormats,
     4,
     {"Informationen zu Datenformaten", "Data file info", "Info fichiers", "Informationen zu Datenformaten",
      "Informazioni formati data", "Informationen zu Datenformaten"}},
};

} // namespace

MenuBar menuBarFor(int language) {
  const int lang = languageIndex(language);
  MenuBar bar;
  for (const auto& titles : kTitles) {
    bar.popups.push_back(MenuPopup{titles[lang], {}});
  }
  for (const auto& row : kRows) {
    const char* text = row.text[lang];
    if (text == nullptr) {
      continue;
    }
    MenuItem item;
    item.id = row.id;
    item.separator = row.id == 0;
    item.text = item.separator ? std::string() : std::string(text);
    bar.popups[static_cast<std::size_t>(row.popup)].items.push_back(item);
  }
  return bar;
}

void buildMenuBar(AppContext& app) {
  app.shell.menus.bar = menuBarFor(app.settings.language);
  app.platform.menus.setMenuBar(app.shell.menus.bar);
}

void checkMenuItem(AppContext& app, int commandId, bool checked) {
  platform::MenuItem* item = app.shell.menus.bar.find(commandId);
  if (item == nullptr) {
    return;
  }
  item->checked = checked;
  app.platform.menus.checkMenuItem(commandId, checked);
}

void enableMenuItem(AppContext& app, int commandId, bool enabled) {
  platform::MenuItem* item = app.shell.menus.bar.find(commandId);
  if (item == nullptr) {
    return;
  }
  item->enabled = enabled;
  app.platform.menus.enableMenuItem(commandId, enabled);
}

void updateMenuChecks(AppContext& app) {
  const Settings& s = app.settings;
  // Dutch and Spanish are only reachable through monitor.ini.
  enableMenuItem(app, cmd::LangDutch, false);
  enableMenuItem(app, cmd::LangSpanish, false);

  checkMenuItem(app, cmd::ToggleSig, s.beepOnFastFall != 0);
  checkMenuItem(app, cmd::ToggleDks, s.variationBars != 0);
  checkMenuItem(app, cmd::ValuesWindow, s.valuesWindow != 0);
  checkMenuItem(app, cmd::ConverterWindow, s.converterWindow != 0);
  checkMenuItem(app, cmd::ToggleDp, s.paperLook != 0);

  constexpr struct {
    unsigned show;
    int id;
  } kSteps[] = {{300, cmd::Step5}, {600, cmd::Step10}, {900, cmd::Step15}, {1800, cmd::Step30}};
  for (const auto& step : kSteps) {
    if (step.show == s.displayStep) {
      for (const auto& other : kSteps) {
        checkMenuItem(app, other.id, other.show == s.displayStep);
      }
      break;
    }
  }

  checkMenuItem(app, cmd::RecordOff, s.recordInterval == 0);
  checkMenuItem(app, cmd::RecordOn, s.recordInterval != 0);

  checkMenuItem(app, cmd::ToggleErr, s.logEvents != 0);
  checkMenuItem(app, cmd::ToggleT1, s.drawTendency1h != 0);
  checkMenuItem(app, cmd::ToggleT3, s.drawTendency3h != 0);
  checkMenuItem(app, cmd::ToggleVar, s.drawVariation != 0);

  checkMenuItem(app, cmd::ScaleLow, s.lowScale != 0);
  checkMenuItem(app, cmd::ScaleNormal, s.lowScale == 0);

  // The port setting, not the open port's name: at start-up the checks come before the port is opened.
  const char digit = s.portDigit;
  for (int n = 0; n < 8; ++n) {
    checkMenuItem(app, kPortCommands[static_cast<std::size_t>(n)], digit == '1' + n);
  }

  if (!isKxMode(s.dataMode)) {
    checkMenuItem(app, cmd::NmeaMode, true);
    checkMenuItem(app, cmd::KxMode, false);
  } else {
    checkMenuItem(app, cmd::KxMode, true);
    checkMenuItem(app, cmd::NmeaMode, false);
  }

  for (int lang = 0; lang < kLanguageCount; ++lang) {
    checkMenuItem(app, kLanguageCommands[static_cast<std::size_t>(lang)], s.language == lang);
  }

  checkMenuItem(app, cmd::UnitHpa, app.view.pressureUnit == PressureUnit::Hpa);
  checkMenuItem(app, cmd::UnitInchHg, app.view.pressureUnit == PressureUnit::InchHg);
}

void probePorts(AppContext& app) {
  for (int n = 0; n < 8; ++n) {
    const std::string name = "COM" + std::string(1, static_cast<char>('1' + n));
    // Opened only to see whether it can be; closed again at once.
    const bool available = app.platform.ports.open(name) != nullptr;
    app.shell.menus.portAvailable[static_cast<std::size_t>(n)] = available ? 1 : 0;
    enableMenuItem(app, kPortCommands[static_cast<std::size_t>(n)], available);
  }
}

void applyPortAvailability(AppContext& app) {
  for (std::size_t n = 0; n < 8; ++n) {
    enableMenuItem(app, kPortCommands[n], app.shell.menus.portAvailable[n] != 0);
  }
}

} // namespace baromon
