#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "ProgramRun.h"
#include "support/EventLogReader.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace {

using baromon::Event;
using baromon::clitest::BaromonChild;
using baromon::fakes::hasEvent;
using baromon::fakes::TempDir;
using baromon::fakes::waitFor;

// A `baromon --headless` child in a directory of its own, its output in stderr.txt.
struct HeadlessRun {
  TempDir dir;
  std::unique_ptr<BaromonChild> child;
  pid_t pid = -1;

  // `locale` becomes LANG, with LC_ALL and LC_MESSAGES unset; `extra` follows the port.
  void start(const std::string& port = "/nonexistent/tty", const char* locale = nullptr,
             const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment;
    if (locale != nullptr) {
      environment = {"LC_ALL", "LC_MESSAGES", std::string("LANG=") + locale};
    }
    std::vector<std::string> arguments{"--headless", "--port", "2=" + port};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    child = std::make_unique<BaromonChild>(dir.path(), arguments, dir.file("stderr.txt"), environment);
    pid = child->pid();
  }
  // Waits until `name` exists in the directory (at most 10 s).
  bool waitForFile(const std::string& name) {
    return waitFor([&] { return dir.exists(name); });
  }
  int stop(int signal) { return child->stop(signal); }
};

TEST(Headless, StartsReportsTheMissingPortAndEndsCleanlyOnSignals) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    HeadlessRun run;
    run.start();
    // Event 15 (COM2 missing) comes after the defaults were written at start-up.
    ASSERT_TRUE(run.waitForFile("monitor.err"));
    ASSERT_TRUE(waitFor([&] { return hasEvent(run.dir.read("monitor.err"), Event::Com2ReadError); }))
        << run.dir.read("monitor.err");
    // The settings are written again at the end: remove the ones of the start. The stop
    // signals are caught from before the start-up reported anything.
    ::unlink(run.dir.file("monitor.ini").c_str());
    EXPECT_EQ(run.stop(signal), 0);
    EXPECT_EQ(run.dir.read("monitor.ini").size(), 125u) << "saved at shutdown";
    const std::string err = run.dir.read("stderr.txt");
    EXPECT_NE(
        err.find("serielle Schnittstelle: Fehler: Schnittstelle COM2 steht nicht zur Verf\xC3\xBCgung !"),
        std::string::npos)
        << err;
    EXPECT_NE(err.find("baromon: 0 lines received, 0 valid sentences, 0 rejected\n"), std::string::npos)
        << err;
    const std::string log = run.dir.read("monitor.err");
    EXPECT_TRUE(hasEvent(log, Event::NoSettingsFile));
    EXPECT_TRUE(hasEvent(log, Event::SettingsNotFound));
  }
}

TEST(Headless, RunsWithoutLoadingQt) {
  HeadlessRun run;
  run.start();
  // Started up: whatever it loads at start-up is mapped by now.
  ASSERT_TRUE(run.waitForFile("monitor.err"));
  std::ifstream maps("/proc/" + std::to_string(run.pid) + "/maps");
  const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
  ASSERT_NE(mapped.find("baromon"), std::string::npos) << "not the monitor's map";
  EXPECT_EQ(mapped.find("libQt"), std::string::npos) << mapped;
  EXPECT_EQ(run.stop(SIGTERM), 0);
}

// The network libraries (and the TLS, FreeType and PNG libraries they bring) are loaded
// only for the service that needs them: a logger that serves neither stays small.
TEST(Headless, MapsTheNetworkLibrariesOnlyOfTheServicesAskedFor) {
  const std::string web[] = {"libmicrohttpd", "libgnutls", "libfreetype", "baromon-web.so"};
  const std::string mqtt[] = {"libmosquitto", "libssl", "libcrypto", "baromon-mqtt.so"};
  struct Case {
    const char* legend;
    std::vector<std::string> options;
    bool webMapped;
    bool mqttMapped;
  };
  // Port 1 of the loopback refuses: the publisher keeps trying without a broker.
  const Case cases[] = {
      {"neither", {}, false, false},
      {"--serve-http", {"--serve-http", "127.0.0.1:0"}, true, false},
      {"--mqtt", {"--mqtt", "mqtt://127.0.0.1:1", "--station", "test"}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    HeadlessRun run;
    run.start("/nonexistent/tty", nullptr, c.options);
    // Started up: the services were started before the monitor, which writes monitor.err.
    ASSERT_TRUE(run.waitForFile("monitor.err")) << run.dir.read("stderr.txt");
    std::ifstream maps("/proc/" + std::to_string(run.pid) + "/maps");
    const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    ASSERT_NE(mapped.find("baromon"), std::string::npos) << "not the monitor's map";
    for (const auto& library : web) {
      EXPECT_EQ(mapped.find(library) != std::string::npos, c.webMapped) << library << "\n" << mapped;
    }
    for (const auto& library : mqtt) {
      EXPECT_EQ(mapped.find(library) != std::string::npos, c.mqttMapped) << library << "\n" << mapped;
    }
    EXPECT_EQ(run.stop(SIGTERM), 0) << run.dir.read("stderr.txt");
  }
}

// A logger installed without its modules (or with a module of another build) must say so
// and refuse to start, never run without the service it was asked for.
TEST(Headless, RefusesToStartWhenTheServiceModuleIsMissing) {
  for (const char* module : {"baromon-web.so", "baromon-mqtt.so"}) {
    if (::access((std::string(BAROMON_MODULE_DIR "/") + module).c_str(), F_OK) == 0) {
      GTEST_SKIP() << module << " is installed in " << BAROMON_MODULE_DIR;
    }
  }
  TempDir dir;
  const std::string lone = dir.file("baromon");
  ASSERT_EQ(baromon::clitest::runCommand("cp '" BAROMON_EXE "' '" + lone + "'").status, 0);
  const struct {
    const char* options;
    const char* said;
  } cases[] = {
      {"--serve-http 127.0.0.1:0", "--serve-http needs baromon-web.so, which is not installed"},
      {"--mqtt mqtt://127.0.0.1:1 --station test", "--mqtt needs baromon-mqtt.so, which is not installed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const auto outcome = baromon::clitest::runShellIn(
        dir, "'" + lone + "' --headless --port 2=/nonexistent/tty " + c.options, true);
    EXPECT_EQ(outcome.status, 2) << outcome.out;
    EXPECT_NE(outcome.out.find(c.said), std::string::npos) << outcome.out;
    EXPECT_FALSE(dir.exists("monitor.err")) << "the monitor started";
  }
}

TEST(Headless, ReportsTheLinesItReceivedTheValidOnesAndTheRefusedOnesWhenStopped) {
  baromon::clitest::RawTerminal device;
  ASSERT_TRUE(device.ok());
  HeadlessRun run;
  // A first start (no settings yet), then nothing: the invalid line is no event.
  const baromon::fakes::EventRecorder events(run.dir, {Event::NoSettingsFile, Event::SettingsNotFound});
  run.start(device.name());
  // The monitor sets the port to 4800 Bd once it has started up (signals handled by then).
  const bool configured = waitFor([&] {
    termios now{};
    return ::tcgetattr(device.slave(), &now) == 0 && ::cfgetispeed(&now) == B4800;
  });
  ASSERT_TRUE(configured);
  // One line at a time, each sent once the monitor has read the one before, so that
  // every line ends a tick of its own and none are merged.
  const char* lines[] = {
      "$PXDR,0998.60,52684,+01.2,+03.5,-0300,0995.40\r\n", "$WIXDR,P,0.9986,B\r\n", "noise\r\n",
      "$PXDR,0998.70,52690,+01.2,+03.5,-0300,0995.40\r\n",
      "$PXDR,0998.80;52690,+01.2,+03.5,-0300,0995.40\r\n", // a field separator missing: not valid
      "$PXDR,0998.80,52695,+01.2,+03.5,-0300,0995.40\r\n",
      "$PXDR,0A98.80,52695,+01.2,+03.5,-0300,0995.40\r\n", // a letter for a digit: refused too
  };
  for (const char* line : lines) {
    const std::string text(line);
    ASSERT_TRUE(device.send(text));
    // The bytes reach the terminal's input queue a moment after the write (long on a
    // loaded machine); then the monitor empties it on its next tick. Waiting up to half a
    // second for them also covers a monitor that took them before they were seen.
    int waiting = 0;
    auto queued = [&] { return ::ioctl(device.slave(), FIONREAD, &waiting) == 0 ? waiting : -1; };
    waitFor([&] { return queued() != 0; }, std::chrono::milliseconds(500));
    waitFor([&] { return queued() <= 0; });
    ASSERT_EQ(queued(), 0) << "the monitor did not read " << text;
  }
  EXPECT_EQ(run.stop(SIGTERM), 0);
  const std::string err = run.dir.read("stderr.txt");
  EXPECT_NE(err.find("baromon: 7 lines received, 3 valid sentences, 2 rejected\n"), std::string::npos) << err;
}

// A service's journal is its standard error: the logger says where it reads and what it
// serves, and every event of monitor.err, in the user's language.
TEST(Headless, SaysWhereItReadsAndTellsEveryEventOnStandardErrorInTheUsersLanguage) {
  HeadlessRun run;
  run.start("/nonexistent/tty", "fr_FR.UTF-8");
  ASSERT_TRUE(waitFor([&] { return hasEvent(run.dir.read("monitor.err"), 15); }));
  EXPECT_EQ(run.stop(SIGTERM), 0);
  const std::string err = run.dir.read("stderr.txt");
  const std::string where = "baromon: reading COM2 = /nonexistent/tty in " + run.dir.path() +
                            " (KX mode, monitor.txt); serving nothing\n";
  EXPECT_NE(err.find(where), std::string::npos) << err;
  EXPECT_NE(err.find("baromon: event 2: remarque : pas encore de monitor.ini\n"), std::string::npos) << err;
  EXPECT_NE(
      err.find("baromon: event 11: remarque : monitor.ini cr\xC3\xA9\xC3\xA9 avec les r\xC3\xA9glages par "
               "d\xC3\xA9\x66\x61ut\n"),
      std::string::npos)
      << "a first start is a notice, in UTF-8";
  EXPECT_NE(err.find("baromon: event 15: erreur : impossible d'ouvrir le port COM2\n"), std::string::npos)
      << err;
  EXPECT_EQ(err.find("error: no file"), std::string::npos) << "no error for the missing settings";
  EXPECT_NE(run.dir.read("monitor.ini").find("LANG=FR\n"), std::string::npos);
}

} // namespace
