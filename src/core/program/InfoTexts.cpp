#include "core/program/InfoTexts.h"

#include <cstdio>

#include "core/config/Menus.h"
#include "core/config/Settings.h"

namespace baromon {

namespace {

// Where the barograph and this program come from, closing the help and about boxes.
constexpr const char* kContact[6] = {
    "Projekt baromon\n"
    "Quelltext, Handbuch und Hinweise zum Barographen: siehe die README-Datei von baromon.\n",
    "baromon project\n"
    "Source, manual and barograph notes: see the README of the baromon distribution.\n",
    "Projet baromon\n"
    "Sources, manuel et notes sur le barographe : voir le fichier README livr\xE9 avec baromon.\n",
    "Project baromon\n"
    "Broncode, handleiding en aantekeningen over de barograaf: zie de README van baromon.\n",
    "Progetto baromon\n"
    "Sorgenti, manuale e note sul barografo: vedere il file README di baromon.\n",
    "Proyecto baromon\n"
    "C\xF3"
    "digo fuente, manual y notas sobre el bar\xF3grafo: v\xE9"
    "ase el fichero README de baromon.\n",
};

// Longer than a line of code; named so that its halves are not taken for two entries.
constexpr const char* kAnotherMonitorFrench =
    "Un autre moniteur fonctionne d\xE9j\xE0 dans ce r\xE9pertoire ; celui-ci s'arr\xEAte sans toucher "
    "\xE0 aucun fichier.";

// Shown before the settings are read to the end, so the language comes from monitor.ini alone.
constexpr const char* kAnotherMonitor[6] = {
    "In diesem Verzeichnis l\xE4uft schon ein anderer Monitor; dieser endet, ohne eine Datei anzur\xFChren.",
    "Another monitor is already running in this directory; this one ends without touching any file.",
    kAnotherMonitorFrench,
    "Er draait al een andere monitor in deze map; deze stopt zonder een bestand aan te raken.",
    "Un altro monitor \xE8 gi\xE0 in funzione in questa cartella; questo termina senza toccare alcun file.",
    "Ya hay otro monitor en marcha en este directorio; este termina sin tocar ning\xFAn fichero.",
};

// Help. The Spanish text starts in Spanish and goes on in German.
constexpr const char* kHelpGerman =
    "Dieses Programm speichert die Messdaten des Barographen auf der Festplatte,\n"
    "zeigt den Luftdruckverlauf \xFC"
    "ber lange Zeitr\xE4ume an, druckt ihn aus\n"
    "und zeichnet NMEA-Datenstr\xF6me auf.\n\n"
    "Ben\xF6tigt werden ein PC und ein RS-232-Kabel zum Barographen oder zu einem NMEA-Ger\xE4t.\n"
    "Die Messdaten stehen in der Datei monitor.txt, NMEA-Daten in nmea.txt.\n"
    "Schnittstelle: 4800 Bd, 8 Bit, 1 Stoppbit, keine Parit\xE4t (NMEA 0183).\n\n"
    "Bezugsquelle des Barographen:\n";
constexpr const char* kHelpEnglish =
    "This program stores the data of the barograph on disk, shows the air pressure\n"
    "over long periods, prints it and records NMEA data streams.\n\n"
    "It needs a PC and an RS-232 cable to the barograph or to an NMEA device.\n"
    "The measurements are kept in the file monitor.txt, NMEA data in nmea.txt.\n"
    "Line settings: 4800 Bd, 8 bit, 1 stop bit, no parity (NMEA 0183).\n\n"
    "Where to obtain the barograph:\n";
constexpr const char* kHelpFrench =
    "Ce logiciel enregistre les donnees du barographe sur le disque, montre la\n"
    "pression atmospherique sur de longues periodes, l'imprime et enregistre\n"
    "les flux de donnees NMEA.\n\n"
    "Il faut un PC et un cable RS-232 vers le barographe ou un appareil NMEA.\n"
    "Les mesures sont dans le fichier monitor.txt, les donnees NMEA dans nmea.txt.\n"
    "Port serie: 4800 Bd, 8 bits, 1 bit d'arret, sans parite (NMEA 0183).\n\n"
    "Pour obtenir le barographe:\n";
constexpr const char* kHelpItalian =
    "Questo programma salva i dati del barografo sul disco, mostra la pressione\n"
    "su lunghi periodi, la stampa e registra i flussi di dati NMEA.\n\n"
    "Servono un PC e un cavo RS-232 verso il barografo o un apparecchio NMEA.\n"
    "Le misure sono nel file monitor.txt, i dati NMEA in nmea.txt.\n"
    "Porta seriale: 4800 Bd, 8 bit, 1 bit di stop, senza parita (NMEA 0183).\n\n"
    "Dove ottenere il barografo:\n";
constexpr const char* kHelpSpanish =
    "Este programa guarda los datos del barografo en el disco,\n"
    "muestra la presion durante largos periodos y la imprime.\n\n"
    "Ben\xF6tigt werden ein PC und ein RS-232-Kabel zum Barographen oder zu einem NMEA-Ger\xE4t.\n"
    "Die Messdaten stehen in der Datei monitor.txt, NMEA-Daten in nmea.txt.\n"
    "Schnittstelle: 4800 Bd, 8 Bit, 1 Stoppbit, keine Parit\xE4t (NMEA 0183).\n\n"
    "Bezugsquelle des Barographen:\n";

constexpr const char* kCableGerman =
    "Der Barograph kann mit einem Kabel mit oder ohne Optokoppler angeschlossen werden.\n"
    "NMEA-Ger\xE4te mit 0/5-V-Ausg\xE4ngen geh\xF6ren mit einem kurzen Kabel an eine freie\n"
    "COM-Schnittstelle. Die NMEA-Pegel (0/+5 V) sind nicht voll kompatibel mit RS-232\n"
    "(-15/+15 V).\n\n"
    "Kabel und Anschlussplan: siehe die Webseite des Herstellers.\n";
constexpr const char* kCableEnglish =
    "The barograph can be linked with a cable with or without opto-isolator.\n"
    "NMEA devices with 0/5 V outputs belong on a free COM port with a short cable.\n"
    "NMEA signal levels (0/+5 V) are not fully compatible with RS-232 (-15/+15 V).\n\n"
    "Cables and wiring: see the maker's web page.\n";
constexpr const char* kCableFrench =
    "Le barographe peut etre relie par un cable avec ou sans opto-coupleur.\n"
    "Les appareils NMEA a sorties 0/5 V se branchent sur un port COM libre avec un\n"
    "cable court. Les niveaux NMEA (0/+5 V) ne sont pas entierement compatibles avec\n"
    "le RS-232 (-15/+15 V); la liaison fonctionne normalement quand meme.\n\n"
    "Cables et schemas: voir la page web du fabricant.\n";
constexpr const char* kCableItalian =
    "Il barografo si collega con un cavo con o senza optoisolatore.\n"
    "Gli apparecchi NMEA con uscite 0/5 V vanno su una porta COM libera con un cavo\n"
    "corto. I livelli NMEA (0/+5 V) non sono del tutto compatibili con l'RS-232\n"
    "(-15/+15 V); di solito il collegamento funziona lo stesso.\n\n"
    "Cavi e schemi: vedere la pagina web del produttore.\n";

constexpr const char* kFormatsGerman =
    "Satz des Barographen (einmal pro Sekunde):\n"
    "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\n"
    "  Luftdruck hPa (Mittel der letzten Minute), Wandlerwert, Tendenz 1 h,\n"
    "  Tendenz 3 h, Minutenz\xE4hler, Luftdruck vor so vielen Minuten\n"
    "dazu: $WIXDR,P,0.9986,B (Luftdruck in bar)\n\n"
    "Zeile in monitor.txt:\n"
    "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\n"
    "  Z\xE4hler, Datum, Uhrzeit (UTC), Luftdruck (Minutenmittel), Tendenz 1 h,\n"
    "  Tendenz 3 h, gr\xF6\xDFte Druckschwankung der letzten 5 Minuten, Alarm 0 oder 1\n";
constexpr const char* kFormatsEnglish =
    "Barograph sentence (once a second):\n"
    "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\n"
    "  pressure hPa (mean of the last minute), converter value, 1-hour tendency,\n"
    "  3-hour tendency, minute counter, pressure that many minutes ago\n"
    "with it: $WIXDR,P,0.9986,B (pressure in bar)\n\n"
    "Line of monitor.txt:\n"
    "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\n"
    "  counter, date, time (UTC), pressure (one-minute mean), 1-hour tendency,\n"
    "  3-hour tendency, largest variation of the last 5 minutes, alarm 0 or 1\n";
constexpr const char* kFormatsFrench =
    "Phrase du barographe (une par seconde):\n"
    "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\n"
    "  pression hPa (moyenne de la derniere minute), valeur du convertisseur,\n"
    "  tendance 1 h, tendance 3 h, compteur de minutes, pression d'il y a autant de minutes\n"
    "avec: $WIXDR,P,0.9986,B (pression en bar)\n\n"
    "Ligne de monitor.txt:\n"
    "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\n"
    "  compteur, date, heure (UTC), pression (moyenne d'une minute), tendance 1 h,\n"
    "  tendance 3 h, plus grande variation des 5 dernieres minutes, alarme 0 ou 1\n";
constexpr const char* kFormatsItalian =
    "Frase del barografo (una al secondo):\n"
    "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\n"
    "  pressione hPa (media dell'ultimo minuto), valore del convertitore,\n"
    "  tendenza 1 ora, tendenza 3 ore, contatore di minuti, pressione di allora\n"
    "con: $WIXDR,P,0.9986,B (pressione in bar)\n\n"
    "Riga di monitor.txt:\n"
    "000020 28.12.2003 21:00 0988,10 hPa +01,8 hPa/hr +05,2 hPa/3h 00,0 hPa/h var 0\n"
    "  contatore, data, ora (UTC), pressione (media di un minuto), tendenza 1 ora,\n"
    "  tendenza 3 ore, massima variazione degli ultimi 5 minuti, allarme 0 o 1\n";

constexpr const char* kAboutFormat[6] = {
    "baromon - Luftdruckmonitor\nVersion %s vom %s\n\n",
    "baromon - air-pressure monitor\nVersion %s of %s\n\n",
    "baromon - moniteur de pression atmospherique\nVersion %s du %s\n\n",
    "baromon - Luftdruckmonitor\nVersion %s vom %s\n\n",
    "baromon - monitor della pressione atmosferica\nVersione %s del %s\n\n",
    "baromon - monitor de presion atmosferica\nVersion %s del %s\n\n",
};

constexpr const char* kHelpCaption[6] = {"Hilfen zu diesem Programm", "Help", "Aide", "Help",
                                         "Aiuto programma",           "Ayuda"};
constexpr const char* kAboutCaption[6] = {"Informationen zum Programm", "About",        "A propos",
                                          "Informationen zum Programm", "Informazioni", "Acerca de"};
constexpr const char* kCableCaption[6] = {"Anschlusskabel", "Link cable info",      "Cable",
                                          "Anschlusskabel", "Cavo di collegamento", "Anschlusskabel"};
constexpr const char* kFormatsCaption[6] = {"Datenformate", "Data formats", "Formats des donnees",
                                            "Datenformate", "Formato dati", "Datenformate"};

} // namespace

const char* anotherMonitorText(int language) { return inLanguage(kAnotherMonitor, language); }

InfoBox infoBoxFor(int commandId, int language) {
  const int lang = languageIndex(language);
  const char* help[6] = {kHelpGerman, kHelpEnglish, kHelpFrench, kHelpGerman, kHelpItalian, kHelpSpanish};
  const char* cable[6] = {kCableGerman, kCableEnglish, kCableFrench,
                          kCableGerman, kCableItalian, kCableGerman};
  const char* formats[6] = {kFormatsGerman, kFormatsEnglish, kFormatsFrench,
                            kFormatsGerman, kFormatsItalian, kFormatsGerman};
  switch (commandId) {
  case cmd::Help:
    return {std::string(help[lang]) + kContact[lang], kHelpCaption[lang]};
  case cmd::About: {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, kAboutFormat[lang], kProgramVersion, kReleaseDate);
    return {std::string(buffer) + kContact[lang], kAboutCaption[lang]};
  }
  case cmd::Cable:
    return {cable[lang], kCableCaption[lang]};
  case cmd::DataFormats:
    return {formats[lang], kFormatsCaption[lang]};
  default:
    return {};
  }
}

} // namespace baromon
