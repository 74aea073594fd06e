#include "core/serial/SerialPort.h"

#include <cstdio>
#include <string>

#include "core/state/AppContext.h"
#include "core/config/Menus.h"
#include "core/config/EventLog.h"
#include "core/config/Menus.h"

namespace baromon {

namespace {

constexpr PortMessage kPortMessages[] = {
    {"Fehler: Schnittstelle %s steht nicht zur Verf\xFCgung !", "serielle Schnittstelle"},
    {"Error: port COM %s not available !", "COM port"},
    {"Erreur: porte serielle COM %s pas disponible !", "porte serielle"},
    {"Error: COM %s not available !", "COM port"},
    {"Errore: porta seriale COM %s non disponibile !", "porta seriale"},
    {"Error: COM %s not available !", "COM port"},
};

} // namespace

PortMessage portNotAvailableMessage(int language) { return inLanguage(kPortMessages, language); }

int configurePort(AppContext&, platform::SerialDevice& device) { return device.configure() ? 1 : 0; }

bool openSerialPort(AppContext& app, PortErrors errors) {
  SerialLink& link = app.serial;
  link.open = false;
  const char digit = app.settings.portDigit;
  link.portName = std::string("COM") + digit;
  // Our own earlier handle would hold the exclusive lock against us.
  link.device.reset();
  link.device = app.platform.ports.open(link.portName);

  if (!link.device) {
    link.open = false;
    if (errors == PortErrors::Quiet) {
      return false;
    }
    const PortMessage message = portNotAvailableMessage(app.settings.language);
    // German names the whole port, the other languages only its digit.
    const std::string argument = app.settings.language == German ? link.portName : std::string(1, digit);
    char text[128];
    std::snprintf(text, sizeof text, message.format, argument.c_str());
    app.platform.boxes.messageBox(text, message.caption, platform::BoxIcon::Error);
    reportEvent(app, Event::PortInUse);
    if (digit >= '1' && digit <= '4') {
      reportEvent(app, eventCode(Event::Com1ReadError) + (digit - '1'));
    }
    return false;
  }

  if (configurePort(app, *link.device) == 0) {
    reportEvent(app, Event::SetCommStateFailed);
  }
  // The device reads without waiting by construction; there are no time-outs to set.
  link.open = true;
  link.lost = false;
  return true;
}

void changePort(AppContext& app, char digit) {
  app.settings.portDigit = digit;
  app.serial.portName = std::string("COM") + digit;
  closeSerialPort(app);
  // A port the user picks gets the ordinary behaviour: no quiet reopening after a failure,
  // and its first loss is reported whatever became of the port before.
  app.serial.lost = false;
  app.serial.lossReported = false;
  openSerialPort(app, PortErrors::Show);
  updateMenuChecks(app);
}

void closeSerialPort(AppContext& app) { app.serial.device.reset(); }

} // namespace baromon
