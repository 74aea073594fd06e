#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace baromon::platform {

// One GET (or HEAD) request as the server's library parsed it.
struct HttpRequest {
  std::string path;
  // The query's arguments, decoded; a name given twice keeps its first value.
  std::map<std::string, std::string> query;
  // A name was given more than once (the handler may refuse the request).
  bool repeatedArgument = false;
};

// The answer: a whole body, or one produced piece by piece while the client reads
// (`stream` returns the next piece, empty at the end, nothing when it failed: the
// connection is then broken off, so the client never takes a part for the whole), so a
// long answer never sits in memory whole.
struct HttpReply {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  std::function<std::optional<std::string>()> stream;
};

// How much the server may take: connections in all and from one address, seconds an
// idle connection is kept, bytes of request (line, headers) a connection may hold, and
// threads that answer.
struct HttpLimits {
  unsigned connections = 128;
  unsigned perAddress = 100;
  unsigned idleSeconds = 10;
  std::size_t memoryPerConnection = std::size_t{16} * 1024;
  unsigned threads = 2;
};

// An HTTP server on threads of its own (GNU libmicrohttpd). The handler runs on those
// threads, never on the caller's: it must not touch what the monitor's loop owns.
class HttpServer {
public:
  using Handler = std::function<HttpReply(const HttpRequest&)>;

  // Listens on "[ADDR:]PORT", the loopback when ADDR is left out (IPv6 in brackets;
  // port 0: any free port). nullptr with `error` set when it cannot.
  static std::unique_ptr<HttpServer> listenOn(const std::string& where, Handler handler, std::string& error,
                                              const HttpLimits& limits = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // The port it listens on.
  int port() const { return port_; }

private:
  HttpServer() = default;
  struct Daemon;
  std::unique_ptr<Daemon> daemon_;
  int port_ = 0;
};

} // namespace baromon::platform
