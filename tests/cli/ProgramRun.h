#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "support/TempDir.h"

namespace baromon::clitest {

// What a finished command left: its exit status (-1 when it did not exit normally
// or could not be started) and its standard output.
struct Outcome {
  int status = -1;
  std::string out;
};

// Runs `command` through the shell, standard output captured.
Outcome runCommand(const std::string& command);

// Runs `command` through the shell in `dir`, standard output captured; standard
// error joins it when `withErrors`, else it is dropped.
Outcome runShellIn(const fakes::TempDir& dir, const std::string& command, bool withErrors = false);

// Runs the built monitor with `args` in `dir` (see runShellIn).
Outcome runBaromonIn(const fakes::TempDir& dir, const std::string& args, bool withErrors = false);

// A pseudo-terminal standing in for a serial device, in raw mode so that no line end
// is translated before the program under test sets the port up. Neither end is
// inherited by child programs, so closing both here hangs the device up.
class RawTerminal {
public:
  RawTerminal();
  ~RawTerminal() { hangUp(); }
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  bool ok() const { return ok_; }
  const std::string& name() const { return name_; } // the device path, /dev/pts/N
  int master() const { return master_; }            // what is written here, the device sends
  int slave() const { return slave_; }              // our own handle on the device side
  // Writes all of `text` to the device side; false when that failed.
  bool send(const std::string& text) const;
  // Closes both ends: the device goes away.
  void hangUp();

private:
  int master_ = -1, slave_ = -1;
  std::string name_;
  bool ok_ = false;
};

// The built program running in `dir` as a child of the test, killed when the object
// dies. Its standard output and error go into the file `outputPath`, or, when that is
// empty, into a pipe whose reading end is already closed (every write fails, as under
// `| true`). Standard input is /dev/null. `environment` ("NAME=VALUE") is added to the
// test's own, replacing a variable of the same name; a bare "NAME" removes that variable.
class BaromonChild {
public:
  BaromonChild(const std::string& dir, const std::vector<std::string>& args, const std::string& outputPath,
               const std::vector<std::string>& environment = {});
  ~BaromonChild();
  BaromonChild(const BaromonChild&) = delete;
  BaromonChild& operator=(const BaromonChild&) = delete;

  // The exit status once it has ended (1000 + the signal when a signal ended it), or -1
  // while it still runs after waiting up to `seconds`.
  int waitExit(int seconds);
  // Sends `signal` and waits for the end; the exit status as above.
  int stop(int signal);
  // Sends `signal` and returns at once.
  void signal(int signal) const;
  pid_t pid() const { return pid_; } // -1 once it has ended

private:
  pid_t pid_ = -1;
  int status_ = -1;
};

// The environment entries for a BaromonChild that runs on the test clock
// (tests/preload/TestClock.cpp): `clock` is "START SPEED" (epoch second shown at the
// start, shown seconds per real second, 0 standing still) or empty for the real clock;
// `refuseSleeps` makes both of its sleeps fail.
std::vector<std::string> testClockEnvironment(const std::string& clock, bool refuseSleeps = false);

// The settings of a logger on COM2 in data mode `mode` ("  KX" or "NMEA"): recording and
// showing every five minutes, events on, English boxes.
std::string monitorSettings(const std::string& mode);

// How often `part` stands in `text`, overlaps counted.
std::size_t count(const std::string& text, const std::string& part);

// A field of /proc/PID/status in kB ("VmRSS", "VmHWM"), 0 when it cannot be read.
long statusKilobytes(pid_t pid, const std::string& field);

} // namespace baromon::clitest
