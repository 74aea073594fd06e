#pragma once

namespace baromon {

struct AppContext;

namespace platform {
class SerialDevice;
}

// Opens the port named by the COM setting and configures it. With showErrors
// a failed open shows the language's box and reports events 1 and 14..17, and
// returns 0; without, it stays silent and returns 1. The open flag carries the state.
int openSerialPort(AppContext& app, int showErrors);
// Sets 4800 Bd 8N1 without flow control, RTS on, DTR off; 1 on success.
int configurePort(AppContext& app, platform::SerialDevice& device);
// The port commands: takes the digit '1'..'8', closes the port, opens the new one with
// messages and moves the port check mark.
void changePort(AppContext& app, char digit);
// Releases the device (print jobs, shutdown). The open flag stays as it is, so
// the acquisition fails quietly until the port is opened again.
void closeSerialPort(AppContext& app);

// The box text and caption shown when a port cannot be opened, in `language`.
struct PortMessage {
  const char* format;
  const char* caption;
};
PortMessage portNotAvailableMessage(int language);

} // namespace baromon
