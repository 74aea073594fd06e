#include "cli/Cli.h"

#include <cstdio>
#include <functional>
#include <string>

#include "assembly/FrontEndHandOver.h"
#include "assembly/Monitor.h"
#ifdef _WIN32
#include "assembly/ConsoleCodePage.h"
#endif
#include "cli/Commands.h"

#ifndef BAROMON_VERSION
#define BAROMON_VERSION "0.0.0"
#endif

namespace baromon::cli {

namespace {

void printUsage(std::FILE* out) {
  std::fputs("Usage: baromon [OPTION]... [COMMAND]\n"
             "Air-pressure monitor for a barograph on a serial port.\n"
             "Runs in the current directory (monitor.ini, monitor.txt, monitor.err, nmea.txt).\n"
             "\n"
             "Options:\n"
             "  --help            show this text and exit\n"
             "  --version         show the version and exit\n",
             out);
#ifdef _WIN32
  std::fputs("  --headless        run without windows in this console: Ctrl-C or closing the\n"
             "                    console end the run through the normal shutdown\n"
             "  --port n=NAME     use the serial device NAME (COM12, \\\\.\\COM12) for the port\n"
             "                    COMn (n 1..8); without it COMn is %BAROMON_COMn% when set,\n"
             "                    else the system's COMn\n",
             out);
#else
  std::fputs("  --headless        run without windows: boxes go to standard error, SIGINT,\n"
             "                    SIGTERM or SIGHUP end the run through the normal shutdown\n"
             "  --port n=PATH     use the device PATH for the port COMn (n 1..8); without it\n"
             "                    COMn is $BAROMON_COMn when set, else /dev/ttyS<n-1>.\n"
             "                    PATH tcp://HOST:PORT or udp://[ADDR]:PORT reads NMEA 0183\n"
             "                    lines from the network (10110 is the usual port)\n"
             "  --serve-nmea [ADDR:]PORT | udp://HOST:PORT\n"
             "                    serve the reading once a second to TCP clients (on every\n"
             "                    address, IPv4 and IPv6, unless ADDR is given; 127.0.0.1 for\n"
             "                    this machine only) or as UDP datagrams to HOST (a broadcast\n"
             "                    address too): $WIXDR pressure in bar, $WIMDA in inches and\n"
             "                    bar with the air temperature, $WIXDR air temperature and\n"
             "                    supply voltage when known (NMEA mode: every sentence).\n"
             "                    Not 10110 where a Signal K server runs: take e.g. 10111.\n"
             "                    Several, comma-separated: 10111,udp://192.168.1.255:10111\n"
             "  --serve-http [ADDR:]PORT\n"
             "                    serve the live page, the API and the metrics over HTTP\n"
             "                    (ADDR 127.0.0.1 when left out)\n"
             "  --on-alarm CMD    run CMD through /bin/sh at each fast-fall alarm, the values in\n"
             "                    BAROMON_PRESSURE_HPA, BAROMON_TENDENCY_1H_HPA,\n"
             "                    BAROMON_TENDENCY_3H_HPA and BAROMON_TIME_UTC; ended after 60 s\n"
             "  --mqtt URL        publish the values to an MQTT broker under baromon/STATION/:\n"
             "                    mqtt://[user[:password]@]host[:port] (1883) or mqtts://... (8883,\n"
             "                    TLS checked against the system's CA store)\n"
             "  --mqtt-password-file FILE\n"
             "                    the broker's password (first line of FILE); without it and\n"
             "                    without one in the URL, $BAROMON_MQTT_PASSWORD\n"
             "  --mqtt-ca FILE    check a TLS broker against the CA certificate(s) in FILE\n"
             "  --station NAME    the station's name in the topics (default: the host name)\n",
             out);
#endif
  std::fputs("\n"
             "Commands:\n"
             "  decode [--hk N] [FILE]  decode barograph lines and print the readings\n"
             "  check                   check and repair monitor.txt in the current directory\n"
             "  export [FILE]           print the records of FILE (default monitor.txt) as CSV\n"
             "  settings [KEY=VALUE]... show the settings of monitor.ini and what they mean, or\n"
             "                          change them (values as the file writes them: LANG=EN,\n"
             "                          HK=+00125, COM=COM3); refused while a monitor runs here\n"
             "  render OUT [--size WxH] [--paper] [--offset N]\n",
             out);
#ifdef _WIN32
  std::fputs("                          paint the barogram of monitor.txt into OUT (.png, .svg)\n"
             "  diurnal [OUT] [--size WxH]\n"
             "                          mean day of monitor.txt; OUT (.png/.svg) paints it\n"
             "  print [--nmea] [--dialog]\n"
             "                          print the barogram (or NMEA table) on the default printer,\n"
             "                          or on the one chosen in the print dialog\n",
             out);
#else
  std::fputs("                          paint the barogram of monitor.txt into OUT (.png, .svg, .pdf)\n"
             "  diurnal [OUT] [--size WxH]\n"
             "                          mean day of monitor.txt; OUT (.png/.svg/.pdf) paints it\n"
             "  print OUT.pdf [--nmea] [--page WxH]\n"
             "                          print the barogram (or NMEA table) page into a PDF file\n",
             out);
#endif
}

enum class Taken { NotThis, Value, Missing };

// `NAME VALUE` or `NAME=VALUE`; `i` moves past a separate value.
Taken takeValue(const std::string& arg, const std::string& name, int argc, char** argv, int& i,
                std::string& value) {
  if (arg == name) {
    if (i + 1 >= argc) {
      return Taken::Missing;
    }
    value = argv[++i];
    return Taken::Value;
  }
  if (arg.rfind(name + "=", 0) == 0) {
    value = arg.substr(name.size() + 1);
    return Taken::Value;
  }
  return Taken::NotThis;
}

// The options that take a value. Returns 0 when `arg` was one and is taken, 2 after telling
// what is wrong with it, and -1 when `arg` is none of them.
int takeValueOption(const std::string& arg, int argc, char** argv, int& i, GeneralOptions& options) {
  std::string value;
  switch (takeValue(arg, "--port", argc, argv, i, value)) {
  case Taken::Missing:
    std::fputs("baromon: --port needs n=PATH\n", stderr);
    return 2;
  case Taken::Value:
    if (!options.ports.parseAssignment(value)) {
      std::fprintf(stderr,
                   "baromon: --port takes n=PATH with n from 1 to 8 (PATH a device, tcp://HOST:PORT or "
                   "udp://[ADDR]:PORT), not '%s'\n",
                   value.c_str());
      return 2;
    }
    return 0;
  case Taken::NotThis:
    break;
  }
  const struct {
    const char* name;
    const char* missing;
    std::string GeneralOptions::*field;
  } kTextOptions[] = {
      {"--serve-nmea", "baromon: --serve-nmea needs [ADDR:]PORT or udp://HOST:PORT\n",
       &GeneralOptions::serveNmea},
      {"--serve-http", "baromon: --serve-http needs [ADDR:]PORT\n", &GeneralOptions::serveHttp},
      {"--on-alarm", "baromon: --on-alarm needs a command\n", &GeneralOptions::onAlarm},
      {"--mqtt", "baromon: --mqtt needs mqtt://[user[:password]@]host[:port]\n", &GeneralOptions::mqtt},
      {"--mqtt-password-file", "baromon: --mqtt-password-file needs a file\n",
       &GeneralOptions::mqttPasswordFile},
      {"--mqtt-ca", "baromon: --mqtt-ca needs a file\n", &GeneralOptions::mqttCa},
      {"--station", "baromon: --station needs a name\n", &GeneralOptions::station},
  };
  for (const auto& option : kTextOptions) {
    switch (takeValue(arg, option.name, argc, argv, i, value)) {
    case Taken::Missing:
      std::fputs(option.missing, stderr);
      return 2;
    case Taken::Value:
      options.*option.field = value;
      return 0;
    case Taken::NotThis:
      break;
    }
  }
  return -1;
}

bool isPngName(const std::string& path) {
  const auto dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.' || path.size() - dot != 4) {
    return false;
  }
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) {
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return ext == "png";
}

// Who makes a picture file: this program when its front end writes that kind; else, from
// the logger, the picture program for a PNG file (it needs no toolkit, and goes on to the
// front end itself when it cannot draw one); else the front end.
int drawPicture(const FrontEnd* frontEnd, const std::string& path, char** argv,
                const std::function<int(PictureWriter)>& draw) {
  if (frontEnd != nullptr && frontEnd->writePicture != nullptr &&
      (frontEnd->writes == nullptr || frontEnd->writes(path))) {
    return draw(frontEnd->writePicture);
  }
  if (frontEnd == nullptr && isPngName(path)) {
    return assembly::handOverToPictureProgram(argv);
  }
  return assembly::handOverToFrontEnd(argv);
}

int render(int argc, char** argv, int at, const FrontEnd* frontEnd) {
  RenderOptions options;
  if (const int status = parseRenderArguments(argc - at - 1, argv + at + 1, options, stderr); status != 0) {
    return status;
  }
  return drawPicture(frontEnd, options.out, argv,
                     [&](PictureWriter writer) { return runRender(options, stderr, writer); });
}

// `diurnal` draws only when asked for a picture; its text lines need no front end.
int diurnal(int argc, char** argv, int at, const FrontEnd* frontEnd) {
  DiurnalOptions options;
  if (const int status = parseDiurnalArguments(argc - at - 1, argv + at + 1, options, stderr); status != 0) {
    return status;
  }
  if (options.picture.empty()) {
    return runDiurnal(options, stdout, stderr, nullptr);
  }
  return drawPicture(frontEnd, options.picture, argv,
                     [&](PictureWriter writer) { return runDiurnal(options, stdout, stderr, writer); });
}

} // namespace

int run(int argc, char** argv, const FrontEnd* frontEnd) {
#ifdef _WIN32
  // The texts' own code page on a console, the console's own again at the end.
  assembly::ConsoleCodePage codePage;
#endif
  GeneralOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const int taken = takeValueOption(arg, argc, argv, i, options);
    if (taken == 2) {
      return 2;
    }
    if (taken == 0) {
      continue;
    }
    if (arg == "check")
      return runCheck(argc - i - 1, argv + i + 1, stdout, stderr);
    if (arg == "settings")
      return runSettings(argc - i - 1, argv + i + 1, stdout, stderr);
    if (arg == "export")
      return runExport(argc - i - 1, argv + i + 1, stdout, stderr);
    if (arg == "render")
      return render(argc, argv, i, frontEnd);
    if (arg == "diurnal")
      return diurnal(argc, argv, i, frontEnd);
    if (arg == "print")
      return frontEnd != nullptr && frontEnd->print != nullptr
                 ? frontEnd->print(argc - i - 1, argv + i + 1, stdout, stderr)
                 : assembly::handOverToFrontEnd(argv);
    if (arg == "decode") {
      return runDecode(argc - i - 1, argv + i + 1, stdin, stdout, stderr);
    }
    if (arg == "--help" || arg == "-h") {
      printUsage(stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("baromon %s\n", BAROMON_VERSION);
      return 0;
    }
    if (arg == "--headless") {
      options.headless = true;
      continue;
    }
    std::fprintf(stderr, "baromon: unknown argument '%s'\n", arg.c_str());
    printUsage(stderr);
    return 2;
  }
  assembly::MonitorOptions monitor;
  monitor.headless = options.headless;
  monitor.serveNmea = options.serveNmea;
  monitor.serveHttp = options.serveHttp;
  monitor.onAlarm = options.onAlarm;
  monitor.mqtt = options.mqtt;
  monitor.mqttPasswordFile = options.mqttPasswordFile;
  monitor.mqttCa = options.mqttCa;
  monitor.station = options.station;
  if (!monitor.headless && frontEnd != nullptr && frontEnd->runWindowedMonitor != nullptr) {
    return frontEnd->runWindowedMonitor(argc, argv, options.ports, monitor);
  }
  return assembly::runMonitor(argc, argv, options.ports, monitor);
}

} // namespace baromon::cli
