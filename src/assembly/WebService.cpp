#include "assembly/WebService.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <thread>

#include "adapters/raster/FreeTypeLettering.h"
#include "adapters/raster/PictureFile.h"
#include "assembly/CommandPlatform.h"
#include "assembly/PictureSizes.h"
#include "assembly/ReadOnlyFiles.h"
#include "core/analysis/DiurnalRhythm.h"
#include "core/config/SettingsFile.h"
#include "core/display/Barogram.h"
#include "core/display/DrawingResources.h"
#include "core/state/AppContext.h"
#include "core/store/ExportRows.h"
#include "core/store/RecordGrid.h"
#include "core/store/Store.h"

namespace baromon::assembly {

using platform::HttpReply;
using platform::HttpRequest;

namespace {

// A picture's pixels at most (64 MB of memory): the size of a window of 8K by 2K at
// most, far below the 1.6 GB that render allows itself for a file.
constexpr long kMostWebPixels = 4096L * 4096L;
// Bytes of the log read at one opening for the history: small, so 100 clients reading at
// once hold little, and the log is held only for a moment at a time.
constexpr std::size_t kHistoryChunk = std::size_t{80} * 200;
// How long a log held by another program is waited for, as export waits (5 s).
constexpr int kReopenAttempts = 250;
constexpr std::chrono::milliseconds kReopenPause{20};

HttpReply badRequest(const std::string& message) {
  HttpReply reply;
  reply.status = 400;
  reply.body = message + "\n";
  return reply;
}

HttpReply textReply(std::string body, const char* type) {
  HttpReply reply;
  reply.contentType = type;
  reply.body = std::move(body);
  return reply;
}

// "" when the request names only `allowed` arguments, each once; else what is wrong.
std::string unexpectedArguments(const HttpRequest& request, std::initializer_list<const char*> allowed) {
  if (request.repeatedArgument) {
    return "an argument is given more than once";
  }
  for (const auto& [name, value] : request.query) {
    bool known = false;
    for (const char* a : allowed) {
      known = known || name == a;
    }
    if (!known) {
      return "unknown argument '" + name + "'";
    }
  }
  return "";
}

// The whole number `name` within low..high, `out` untouched when it is absent.
bool takeNumber(const HttpRequest& request, const char* name, long low, long high, int& out,
                std::string& problem) {
  const auto it = request.query.find(name);
  if (it == request.query.end()) {
    return true;
  }
  const std::string& text = it->second;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || errno != 0 || *end != '\0' || text.find_first_of(" +\t") != std::string::npos ||
      value < low || value > high) {
    problem = std::string(name) + " takes a whole number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not '" + text + "'";
    return false;
  }
  out = static_cast<int>(value);
  return true;
}

void appendNumberOrNull(std::string& json, bool known, std::int32_t value, bool hundredths) {
  if (!known) {
    json += "null";
  } else if (hundredths) {
    appendHundredths(json, value);
  } else {
    appendTenths(json, value, false);
  }
}

std::string isoTime(const platform::DateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string currentJson(const LiveValues& v) {
  std::string j = "{\"time_utc\":";
  j += v.utcTime.year == 0 ? "null" : "\"" + isoTime(v.utcTime) + "\"";
  j += ",\"valid\":";
  j += v.valid ? "true" : "false";
  j += ",\"pressure_hpa\":";
  appendNumberOrNull(j, v.hasPressure, v.pressure, true);
  j += ",\"tendency_1h_hpa\":";
  appendNumberOrNull(j, v.hasPressure, v.tendency1h, false);
  j += ",\"tendency_3h_hpa\":";
  appendNumberOrNull(j, v.hasPressure, v.tendency3h, false);
  j += ",\"tendency_6h_hpa\":";
  appendNumberOrNull(j, v.hasPressure && v.sixHourKnown, v.tendency6h, false);
  j += ",\"variation_hpa\":";
  appendNumberOrNull(j, v.hasPressure, static_cast<std::int32_t>(v.variation), true);
  j += ",\"temperature_c\":";
  appendNumberOrNull(j, v.hasTemperature, v.temperature, false);
  j += ",\"voltage_v\":";
  appendNumberOrNull(j, v.voltage != 0, static_cast<std::int32_t>(v.voltage), false);
  j += ",\"fast_fall\":{\"alarm\":";
  j += v.fastFall ? "true" : "false";
  j += ",\"one_hour\":";
  j += v.fallsFast1h ? "true" : "false";
  j += ",\"three_hours\":";
  j += v.fallsFast3h ? "true" : "false";
  j += ",\"six_hours\":";
  j += v.fallsMarkedly6h ? "true" : "false";
  j += "},\"lines_received\":" + std::to_string(v.linesReceived);
  j += ",\"records_written\":" + std::to_string(v.recordsWritten);
  j += ",\"language\":\"";
  j += languageCode(v.settings.language);
  j += "\",\"step_seconds\":" + std::to_string(v.settings.displayStep);
  j += ",\"paper\":";
  j += v.settings.paperLook != 0 ? "true" : "false";
  j += "}\n";
  return j;
}

void metric(std::string& text, const char* name, const char* type, const char* help) {
  text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string metricsText(const LiveValues& v, double uptime) {
  std::string t;
  if (v.hasPressure) {
    metric(t, "baromon_pressure_hpa", "gauge", "Air pressure, height correction included.");
    t += "baromon_pressure_hpa ";
    appendHundredths(t, v.pressure);
    t += "\n";
    metric(t, "baromon_tendency_hpa", "gauge", "Pressure change over the span.");
    for (const auto& [span, value] :
         {std::pair{"1h", v.tendency1h}, {"3h", v.tendency3h}, {"6h", v.tendency6h}}) {
      if (span[0] != '6' || v.sixHourKnown) {
        t += std::string("baromon_tendency_hpa{span=\"") + span + "\"} ";
        appendTenths(t, value, false);
        t += "\n";
      }
    }
  }
  // In the text format a counter's TYPE names its samples, "_total" included.
  const std::pair<const char*, std::uint64_t> counters[] = {
      {"baromon_lines_received_total", v.linesReceived},
      {"baromon_sentences_valid_total", v.sentencesValid},
      {"baromon_sentences_rejected_total", v.sentencesRejected},
      {"baromon_records_written_total", v.recordsWritten},
  };
  for (const auto& [name, value] : counters) {
    metric(t, name, "counter", "Count since the monitor started.");
    t += std::string(name) + " " + std::to_string(value) + "\n";
  }
  metric(t, "baromon_records_waiting", "gauge", "Records waiting for the log.");
  t += "baromon_records_waiting " + std::to_string(v.recordsWaiting) + "\n";
  metric(t, "baromon_events_total", "counter", "Events reported since the monitor started, by number.");
  for (int n = 0; n < EventCounts::kNumbers; ++n) {
    if (const auto count = v.events.byNumber[static_cast<std::size_t>(n)]; count != 0) {
      t += "baromon_events_total{number=\"" + std::to_string(n) + "\"} " + std::to_string(count) + "\n";
    }
  }
  metric(t, "baromon_uptime_seconds", "gauge", "Seconds since the web server started.");
  char up[32];
  std::snprintf(up, sizeof up, "%.1f", uptime);
  t += std::string("baromon_uptime_seconds ") + up + "\n";
  return t;
}

// A moment of the log's times as one comparable number (minutes resolution).
using Moment = long long;
Moment momentOf(int year, int month, int day, int hour, int minute) {
  return ((((static_cast<Moment>(year) * 100 + month) * 100 + day) * 100 + hour) * 100) + minute;
}

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM" (UTC, as the records are); the end of a day for `to`.
bool parseMoment(const std::string& text, bool end, Moment& out) {
  int y = 0, mo = 0, d = 0, h = end ? 23 : 0, mi = end ? 59 : 0;
  char tail = 0;
  int n = 0;
  const bool day =
      text.size() == 10 && std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &n) == 3 && n == 10;
  const bool minute =
      !day && text.size() == 16 &&
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n", &y, &mo, &d, &tail, &h, &mi, &n) == 6 && n == 16 &&
      tail == 'T';
  if (!day && !minute) {
    return false;
  }
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59) {
    return false;
  }
  out = momentOf(y, mo, d, h, mi);
  return true;
}

std::string jsonRow(const LastDecodedRecord& r, bool valid, bool first) {
  const HistorySample& s = r.sample;
  char head[96];
  std::snprintf(
      head, sizeof head,
      "%s{\"counter\":%u,\"time_utc\":\"%04d-%02u-%02uT%02u:%02u:00Z\",\"pressure_hpa\":", first ? "" : ",\n",
      static_cast<unsigned>(r.counter), static_cast<int>(s.year), static_cast<unsigned>(s.month),
      static_cast<unsigned>(s.day), static_cast<unsigned>(s.hour), static_cast<unsigned>(s.minute));
  std::string row = head;
  appendHundredths(row, s.pressure);
  row += ",\"tendency_1h_hpa\":";
  appendTenths(row, s.tendency1h, false);
  row += ",\"tendency_3h_hpa\":";
  appendTenths(row, s.tendency3h, false);
  row += ",\"variation_hpa\":";
  appendTenths(row, s.variation, false);
  row += valid ? ",\"valid\":true}" : ",\"valid\":false}";
  return row;
}

// The rows of the log between two moments, a chunk of the log at a time: the log is
// opened, read and closed before the rows are made, and the rows go to the client with
// nothing held.
class HistoryStream {
public:
  HistoryStream(Moment from, Moment to, bool csv) : from_(from), to_(to), csv_(csv) {}

  // The first chunk, read before the answer is begun: false when the log is held on.
  bool begin() { return readMore(); }

  // The next piece of the answer; "" at the end, nothing when the log stayed held.
  std::optional<std::string> operator()() {
    std::string out;
    while (out.empty() && !done_) {
      if (!started_) {
        started_ = true;
        out = csv_ ? kExportCsvHeader : "[";
      } else if (!scanner_.finished() && !readMore()) {
        return std::nullopt;
      }
      out += rows();
      if (scanner_.finished()) {
        done_ = true;
        out += csv_ ? "" : "\n]\n";
      }
    }
    return out;
  }

private:
  std::string rows() {
    std::string out;
    LastDecodedRecord decoded;
    while (const auto item = scanner_.next(decoded)) {
      const HistorySample& s = decoded.sample;
      const Moment at = momentOf(s.year, s.month, s.day, s.hour, s.minute);
      if (item->kind == GridStepKind::Skipped || at < from_ || at > to_) {
        continue;
      }
      const bool valid = item->kind == GridStepKind::Record;
      out += csv_ ? exportCsvRow(decoded, valid) : jsonRow(decoded, valid, rows_ == 0);
      ++rows_;
    }
    return out;
  }

  // The next chunk of the log into the scanner. A log the monitor or a check holds for a
  // moment is waited for as export waits (up to 5 s, in this server thread); false when
  // it stays held. A missing log has no rows.
  bool readMore() {
    CommandPlatform command(stderr);
    auto file =
        command.files.open(kLogFileName, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
    for (int attempt = 0; !file && attempt < kReopenAttempts && std::filesystem::exists(kLogFileName);
         ++attempt) {
      std::this_thread::sleep_for(kReopenPause);
      file = command.files.open(kLogFileName, platform::FileAccess::Read, platform::OpenMode::OpenExisting);
    }
    if (!file) {
      if (std::filesystem::exists(kLogFileName)) {
        return false;
      }
      scanner_.finish();
      return true;
    }
    std::string chunk(kHistoryChunk, '\0');
    std::optional<std::size_t> got;
    const auto offset = static_cast<std::int64_t>(scanner_.received());
    if (file->seek(offset, platform::SeekFrom::Begin) == offset) {
      got = file->read(chunk.data(), chunk.size());
    }
    file.reset();
    if (!got) {
      return false;
    }
    if (*got == 0) {
      scanner_.finish();
    } else {
      scanner_.append(chunk.data(), *got);
    }
    return true;
  }

  Moment from_, to_;
  bool csv_;
  bool started_ = false;
  bool done_ = false;
  std::size_t rows_ = 0;
  RecordGridScanner scanner_;
};

HttpReply history(const HttpRequest& request) {
  if (std::string problem = unexpectedArguments(request, {"from", "to", "format"}); !problem.empty()) {
    return badRequest(problem);
  }
  Moment from = 0;
  Moment to = momentOf(9999, 12, 31, 23, 59);
  const auto f = request.query.find("from");
  if (f != request.query.end() && !parseMoment(f->second, false, from)) {
    return badRequest("from takes YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), not '" + f->second + "'");
  }
  const auto t = request.query.find("to");
  if (t != request.query.end() && !parseMoment(t->second, true, to)) {
    return badRequest("to takes YYYY-MM-DD or YYYY-MM-DDTHH:MM (UTC), not '" + t->second + "'");
  }
  const auto format = request.query.find("format");
  const bool csv = format != request.query.end() && format->second == "csv";
  if (format != request.query.end() && !csv && format->second != "json") {
    return badRequest("format takes json or csv, not '" + format->second + "'");
  }
  HttpReply reply;
  reply.contentType = csv ? "text/csv; charset=utf-8" : "application/json";
  auto stream = std::make_shared<HistoryStream>(from, to, csv);
  if (!stream->begin()) {
    reply.status = 503;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = "monitor.txt is held by another program; try again\n";
    return reply;
  }
  reply.stream = [stream] { return (*stream)(); };
  return reply;
}

// The barogram step whose 1000 samples cover `days` (the four steps of the view).
unsigned stepForDays(int days) {
  if (days <= 3) {
    return 300;
  }
  if (days <= 6) {
    return 600;
  }
  return days <= 10 ? 900 : 1800;
}

} // namespace

WebService::WebService() : started_(std::chrono::steady_clock::now()) {}

WebService::~WebService() = default;

void WebService::publish(const AppContext& app) {
  std::unique_lock<std::mutex> lock(valuesLock_, std::try_to_lock);
  if (lock.owns_lock()) {
    values_ = liveValues(app);
  }
}

LiveValues WebService::values() {
  std::lock_guard<std::mutex> lock(valuesLock_);
  return values_;
}

HttpReply WebService::answer(const HttpRequest& request) {
  if (request.path == "/" || request.path == "/index.html") {
    return textReply(webPage(), "text/html; charset=utf-8");
  }
  if (request.path == "/api/v1/current") {
    if (std::string problem = unexpectedArguments(request, {}); !problem.empty()) {
      return badRequest(problem);
    }
    return textReply(currentJson(values()), "application/json");
  }
  if (request.path == "/api/v1/history") {
    return history(request);
  }
  if (request.path == "/metrics") {
    const std::chrono::duration<double> up = std::chrono::steady_clock::now() - started_;
    return textReply(metricsText(values(), up.count()), "text/plain; version=0.0.4; charset=utf-8");
  }
  if (request.path == "/barogram.png") {
    return barogram(request);
  }
  if (request.path == "/diurnal.png") {
    return diurnal(request);
  }
  HttpReply reply;
  reply.status = 404;
  reply.body = "not found: " + request.path + "\n";
  return reply;
}

HttpReply WebService::barogram(const HttpRequest& request) {
  // n: ignored, for the page to ask again for a picture that changed.
  if (std::string problem = unexpectedArguments(request, {"width", "height", "days", "offset", "paper", "n"});
      !problem.empty()) {
    return badRequest(problem);
  }
  int width = 1100, height = 600, days = 0, offset = 1, paper = -1;
  std::string problem;
  if (!takeNumber(request, "width", kPictureSizes.minWidth, kPictureSizes.maxWidth, width, problem) ||
      !takeNumber(request, "height", kPictureSizes.minHeight, kPictureSizes.maxHeight, height, problem) ||
      !takeNumber(request, "days", 1, 21, days, problem) ||
      !takeNumber(request, "offset", 1, 999999, offset, problem) ||
      !takeNumber(request, "paper", 0, 1, paper, problem)) {
    return badRequest(problem);
  }
  if (static_cast<long>(width) * height > kMostWebPixels) {
    return badRequest("width x height may be at most " + std::to_string(kMostWebPixels) + " pixels");
  }
  Settings settings = values().settings;
  if (days != 0) {
    settings.displayStep = stepForDays(days);
  }
  if (paper >= 0) {
    settings.paperLook = static_cast<std::uint8_t>(paper);
  }
  HttpReply reply;
  reply.contentType = "image/png";
  if (problem = renderPicture(width, height, settings, offset, false, reply.body); !problem.empty()) {
    reply.status = 503;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = problem + "\n";
  }
  return reply;
}

HttpReply WebService::diurnal(const HttpRequest& request) {
  if (std::string problem = unexpectedArguments(request, {"width", "height"}); !problem.empty()) {
    return badRequest(problem);
  }
  int width = 500, height = 250;
  std::string problem;
  if (!takeNumber(request, "width", kPictureSizes.minWidth, kPictureSizes.maxWidth, width, problem) ||
      !takeNumber(request, "height", kPictureSizes.minHeight, kPictureSizes.maxHeight, height, problem)) {
    return badRequest(problem);
  }
  if (static_cast<long>(width) * height > kMostWebPixels) {
    return badRequest("width x height may be at most " + std::to_string(kMostWebPixels) + " pixels");
  }
  HttpReply reply;
  reply.contentType = "image/png";
  if (problem = renderPicture(width, height, values().settings, 1, true, reply.body); !problem.empty()) {
    reply.status = 503;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = problem + "\n";
  }
  return reply;
}

std::string WebService::renderPicture(int width, int height, const Settings& settings, int offset,
                                      bool diurnalPicture, std::string& png) {
  std::lock_guard<std::mutex> lock(drawingLock_);
  // The faces are opened for each picture and closed after it: held, their files and
  // FreeType's tables stayed resident (about 0.5 MB) in a server whose page asks for a
  // picture every five minutes; opening them costs a fraction of drawing.
  const auto lettering = raster::FreeTypeLettering::open(raster::kDejaVuDirectory);
  if (lettering == nullptr) {
    return std::string("cannot draw: no DejaVu fonts in ") + raster::kDejaVuDirectory;
  }
  CommandPlatform command(stderr);
  ReadOnlyFiles files(command.files);
  auto app = std::make_unique<AppContext>(command.services(files));
  app->settings = settings;
  app->view.scrollOffset = offset;
  createScreenPens(*app);
  if (diurnalPicture) {
    return raster::renderPng(
        command.graphics, width, height, [&](platform::Canvas& dc) { paintDiurnalRhythm(*app, dc); },
        *lettering, png);
  }
  loadHistory(*app); // a missing monitor.txt leaves an empty barogram
  return raster::renderPng(
      command.graphics, width, height, [&](platform::Canvas& dc) { paintBarogram(*app, dc); }, *lettering,
      png);
}

} // namespace baromon::assembly
