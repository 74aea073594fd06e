#pragma once

namespace baromon {

struct AppContext;

namespace platform {
class SerialDevice;
}

// Whether a failed open tells the user: Show puts up the language's box and reports
// events 1 and 14..17; Quiet (reopening a lost device, giving the port back after a
// print job) says nothing.
enum class PortErrors { Show, Quiet };
// Opens the port named by the port setting and configures it; true when it is open
// (the open flag says the same).
bool openSerialPort(AppContext& app, PortErrors errors);
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
