#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "adapters/posix/HttpServer.h"
#include "core/program/LiveValues.h"

namespace baromon {
struct AppContext;
}

namespace baromon::assembly {

// What `--serve-http` serves: the page, the API, the pictures and the metrics of the
// monitor running in the current directory. The monitor's loop hands it a copy of its
// values after each tick (publish); the server's threads answer from that copy and from
// the files, read as `render` and `export` read them, never from the running context.
class WebService {
public:
  WebService();
  ~WebService();
  WebService(const WebService&) = delete;
  WebService& operator=(const WebService&) = delete;

  // From the monitor's loop, after a tick. Never waits: while a request is copying the
  // values, this tick's are left out (the next tick's follow 200 ms later).
  void publish(const AppContext& app);
  // From the server's threads.
  platform::HttpReply answer(const platform::HttpRequest& request);

private:
  LiveValues values();
  platform::HttpReply barogram(const platform::HttpRequest& request);
  platform::HttpReply diurnal(const platform::HttpRequest& request);
  std::string renderPicture(int width, int height, const Settings& settings, int offset, bool diurnalPicture,
                            std::string& png);

  std::mutex valuesLock_;
  LiveValues values_;
  // One picture is drawn at a time, so the memory of pictures stays that of one whatever
  // the number of clients.
  std::mutex drawingLock_;
  std::chrono::steady_clock::time_point started_;
};

// The page of `/` (WebPage.cpp).
const std::string& webPage();

} // namespace baromon::assembly
