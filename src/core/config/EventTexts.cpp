#include "core/config/EventTexts.h"

#include "core/state/AppContext.h"

namespace baromon {

namespace {

// Longer than a line of code; named so that its halves are not taken for two entries.
constexpr const char* kLogOffGridSpanish =
    "error: monitor.txt fuera de la rejilla de 80 bytes, se deja como est\xE1; ejecute la comprobaci\xF3n";

struct LocalText {
  Event event;
  const char* text[kLanguageCount]; // German, English, French, Dutch, Italian, Spanish
};

// "%s" stands for the event's detail (a network address, a port name).
constexpr LocalText kLocalTexts[] = {
    {Event::PortInUse,
     {"Fehler: serielle Schnittstelle belegt oder nicht vorhanden", "error: serial port in use or missing",
      "erreur : port s\xE9rie occup\xE9 ou absent", "fout: seri\xEBle poort bezet of afwezig",
      "errore: porta seriale occupata o assente", "error: puerto serie ocupado o ausente"}},
    {Event::NoSettingsFile,
     {"Hinweis: noch keine monitor.ini", "notice: no monitor.ini yet", "remarque : pas encore de monitor.ini",
      "melding: nog geen monitor.ini", "avviso: monitor.ini non ancora presente",
      "aviso: todav\xED\x61 no hay monitor.ini"}},
    {Event::SettingsWriteFailed,
     {"Fehler: monitor.ini kann nicht geschrieben werden", "error: monitor.ini cannot be written",
      "erreur : impossible d'\xE9\x63rire monitor.ini", "fout: monitor.ini kan niet worden geschreven",
      "errore: impossibile scrivere monitor.ini", "error: no se puede escribir monitor.ini"}},
    {Event::SettingsNotFound,
     {"Hinweis: monitor.ini mit den Voreinstellungen angelegt",
      "notice: monitor.ini written with the default settings",
      "remarque : monitor.ini cr\xE9\xE9 avec les r\xE9glages par d\xE9\x66\x61ut",
      "melding: monitor.ini met de standaardinstellingen aangemaakt",
      "avviso: monitor.ini creato con le impostazioni predefinite",
      "aviso: monitor.ini creado con los valores predeterminados"}},
    {Event::LogErased,
     {"monitor.txt wurde gel\xF6scht", "monitor.txt has been erased", "monitor.txt a \xE9t\xE9 effac\xE9",
      "monitor.txt is gewist", "monitor.txt \xE8 stato cancellato", "monitor.txt ha sido borrado"}},
    {Event::FileOpenFailed,
     {"Fehler: monitor.txt (oder nmea.txt) l\xE4sst sich nicht zum Schreiben \xF6\x66\x66nen",
      "error: monitor.txt (or nmea.txt) cannot be opened for writing",
      "erreur : impossible d'ouvrir monitor.txt (ou nmea.txt) en \xE9\x63riture",
      "fout: monitor.txt (of nmea.txt) kan niet worden geopend om te schrijven",
      "errore: impossibile aprire monitor.txt (o nmea.txt) in scrittura",
      "error: no se puede abrir monitor.txt (o nmea.txt) para escribir"}},
    {Event::Com1ReadError,
     {"Fehler: Schnittstelle %s l\xE4sst sich nicht \xF6\x66\x66nen", "error: port %s cannot be opened",
      "erreur : impossible d'ouvrir le port %s", "fout: poort %s kan niet worden geopend",
      "errore: impossibile aprire la porta %s", "error: no se puede abrir el puerto %s"}},
    {Event::ManyBytesWaiting,
     {"Warnung: mehr als 256 Bytes warten an der Schnittstelle",
      "warning: more than 256 bytes wait at the port",
      "avertissement : plus de 256 octets en attente sur le port",
      "waarschuwing: meer dan 256 bytes wachten op de poort",
      "attenzione: pi\xF9 di 256 byte in attesa sulla porta",
      "advertencia: m\xE1s de 256 bytes esperan en el puerto"}},
    {Event::ReadWriteFailed,
     {"Fehler beim Schreiben oder Lesen einer Datei", "error writing or reading a file",
      "erreur d'\xE9\x63riture ou de lecture d'un fichier", "fout bij het schrijven of lezen van een bestand",
      "errore di scrittura o lettura di un file", "error al escribir o leer un archivo"}},
    {Event::NotEnoughSpace,
     {"Fehler: zu wenig freier Speicherplatz oder Fehler auf dem Datentr\xE4ger",
      "error: not enough free space or error on the disk",
      "erreur : espace disque insuffisant ou erreur de disque",
      "fout: te weinig vrije schijfruimte of schijffout",
      "errore: spazio libero insufficiente o errore del disco",
      "error: espacio libre insuficiente o error de disco"}},
    {Event::PortReadError,
     {"Fehler beim Lesen der seriellen Schnittstelle", "error reading from the serial port",
      "erreur de lecture du port s\xE9rie", "fout bij het lezen van de seri\xEBle poort",
      "errore di lettura della porta seriale", "error al leer el puerto serie"}},
    {Event::SetCommStateFailed,
     {"Fehler: Schnittstellenparameter abgelehnt", "error: the port refused its line settings",
      "erreur : param\xE8tres du port refus\xE9s", "fout: poortinstellingen geweigerd",
      "errore: parametri della porta rifiutati", "error: par\xE1metros del puerto rechazados"}},
    {Event::LogOffGrid,
     {"Fehler: monitor.txt nicht im 80-Byte-Raster, unver\xE4ndert gelassen; Datenpr\xFC\x66ung starten",
      "error: monitor.txt off the 80-byte grid, kept as it is; run the data check",
      "erreur : monitor.txt hors de la grille de 80 octets, laiss\xE9 tel quel ; lancez la v\xE9rification",
      "fout: monitor.txt buiten het raster van 80 bytes, ongewijzigd gelaten; voer de controle uit",
      "errore: monitor.txt fuori dalla griglia di 80 byte, lasciato com'\xE8; eseguire il controllo",
      kLogOffGridSpanish}},
    {Event::RecordLostAtStop,
     {"Fehler: Datensatz bei Programmende verloren, monitor.txt nicht beschreibbar",
      "error: record lost at program end, monitor.txt not writable",
      "erreur : enregistrement perdu \xE0 la fin du programme, monitor.txt non inscriptible",
      "fout: record verloren bij het programma-einde, monitor.txt niet schrijfbaar",
      "errore: record perso alla fine del programma, monitor.txt non scrivibile",
      "error: registro perdido al terminar, no se puede escribir monitor.txt"}},
    {Event::SettingsDamaged,
     {"Fehler: monitor.ini besch\xE4\x64igt, als monitor.ini.bad aufbewahrt",
      "error: monitor.ini damaged, kept as monitor.ini.bad",
      "erreur : monitor.ini endommag\xE9, conserv\xE9 sous monitor.ini.bad",
      "fout: monitor.ini beschadigd, bewaard als monitor.ini.bad",
      "errore: monitor.ini danneggiato, conservato come monitor.ini.bad",
      "error: monitor.ini da\xF1\x61\x64o, guardado como monitor.ini.bad"}},
    {Event::SourceLost,
     {"Verbindung zu %s verloren", "connection to %s lost", "connexion \xE0 %s perdue",
      "verbinding met %s verbroken", "connessione a %s persa", "conexi\xF3n con %s perdida"}},
    {Event::SourceBack,
     {"Verbindung zu %s wieder da", "connection to %s back", "connexion \xE0 %s r\xE9tablie",
      "verbinding met %s hersteld", "connessione a %s ripristinata", "conexi\xF3n con %s restablecida"}},
};

std::string withoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') {
    text.pop_back();
  }
  return text;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

std::string eventTextIn(ErrorCode code, int language, const std::string& detail) {
  // The port events 14.. count up from COM1; each names its own port.
  const bool portEvent = code >= eventCode(Event::Com1ReadError) && code <= eventCode(Event::Com4ReadError);
  const ErrorCode looked = portEvent ? eventCode(Event::Com1ReadError) : code;
  const std::string named =
      portEvent ? "COM" + std::to_string(code - eventCode(Event::Com1ReadError) + 1) : detail;
  for (const LocalText& local : kLocalTexts) {
    if (eventCode(local.event) == looked) {
      return withDetail(inLanguage(local.text, language), named);
    }
  }
  return withoutTrailingBlanks(eventText(code, detail));
}

std::optional<Language> languageOfLocale(const std::string& name) {
  // The language is what stands before the territory, the code set and the modifier.
  const std::string language = name.substr(0, name.find_first_of("_-.@"));
  if (language.size() != 2) {
    return std::nullopt;
  }
  const char code[] = {lower(language[0]), lower(language[1]), '\0'};
  constexpr const char* kCodes[kLanguageCount] = {"de", "en", "fr", "nl", "it", "es"};
  for (int i = 0; i < kLanguageCount; ++i) {
    if (std::string(code) == kCodes[i]) {
      return static_cast<Language>(i);
    }
  }
  return std::nullopt;
}

std::uint8_t userLanguage(const AppContext& app) {
  if (app.platform.locale == nullptr) {
    return German;
  }
  return languageOfLocale(app.platform.locale->messagesLocale()).value_or(German);
}

} // namespace baromon
