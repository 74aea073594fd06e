#include "adapters/posix/HttpServer.h"

#include "adapters/posix/AddressAndPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace baromon::platform {

struct HttpServer::Daemon {
  Handler handler;
  MHD_Daemon* daemon = nullptr;
  int listener = -1;
  ~Daemon() {
    if (daemon != nullptr) {
      MHD_stop_daemon(daemon);
    }
    if (listener >= 0) {
      ::close(listener);
    }
  }
};

namespace {

// A bound, listening, non-blocking socket, or -1 with `error` set.
int listenSocket(const std::string& where, std::string& error) {
  const auto split = splitWhere(where, HostPart::Optional, 0);
  if (!split) {
    error = "--serve-http takes [ADDR:]PORT with PORT from 0 to 65535, not '" + where + "'";
    return -1;
  }
  const std::string host = split->host.empty() ? "127.0.0.1" : split->host; // the loopback unless told
  const std::string& port = split->port;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
  if (rc != 0 || found == nullptr) {
    error = "cannot serve HTTP on '" + where + "': " + ::gai_strerror(rc);
    return -1;
  }
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  bool ok = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0;
  ok = ok && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, 64) == 0;
  const int failure = errno;
  ::freeaddrinfo(found);
  if (!ok) {
    error = "cannot serve HTTP on '" + where + "': " + std::strerror(failure);
    if (fd >= 0) {
      ::close(fd);
    }
    return -1;
  }
  return fd;
}

int boundPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  if (address.ss_family == AF_INET6) {
    return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  }
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

MHD_Result takeArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
  auto& request = *static_cast<HttpRequest*>(cls);
  if (!request.query.emplace(key, value == nullptr ? "" : value).second) {
    request.repeatedArgument = true;
  }
  return MHD_YES;
}

// A streamed answer: the pieces not yet handed to the library.
struct Stream {
  std::function<std::optional<std::string>()> next;
  std::string piece;
  std::size_t used = 0;
};

ssize_t readStream(void* cls, std::uint64_t, char* buffer, std::size_t max) {
  auto& stream = *static_cast<Stream*>(cls);
  while (stream.used == stream.piece.size()) {
    std::optional<std::string> next = stream.next();
    if (!next) {
      return MHD_CONTENT_READER_END_WITH_ERROR;
    }
    stream.piece = std::move(*next);
    stream.used = 0;
    if (stream.piece.empty()) {
      return MHD_CONTENT_READER_END_OF_STREAM;
    }
  }
  const std::size_t n = std::min(max, stream.piece.size() - stream.used);
  std::copy_n(stream.piece.data() + stream.used, n, buffer);
  stream.used += n;
  return static_cast<ssize_t>(n);
}

void freeStream(void* cls) { delete static_cast<Stream*>(cls); }

// How much of a streamed answer libmicrohttpd asks for at a time.
constexpr std::size_t kStreamBlock = std::size_t{16} * 1024;

MHD_Response* makeResponse(HttpReply& reply, bool head) {
  if (reply.stream && !head) {
    auto* stream = new Stream{std::move(reply.stream), {}, 0};
    MHD_Response* response =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kStreamBlock, readStream, stream, freeStream);
    if (response == nullptr) {
      delete stream;
    }
    return response;
  }
  return MHD_create_response_from_buffer(reply.body.size(), reply.body.data(), MHD_RESPMEM_MUST_COPY);
}

MHD_Result answer(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                  const char*, std::size_t* uploadSize, void** state) {
  const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0;
  // The first call only says the headers are in; a GET is answered on the second, anything
  // else at once, before a body it may bring is read at all.
  if (*state == nullptr && (get || head)) {
    *state = connection;
    return MHD_YES;
  }
  HttpReply reply;
  if (!head && !get) {
    reply.status = MHD_HTTP_METHOD_NOT_ALLOWED;
    reply.body = "only GET and HEAD\n";
  } else if (*uploadSize != 0) {
    reply.status = MHD_HTTP_CONTENT_TOO_LARGE;
    reply.body = "no request body is taken\n";
    *uploadSize = 0;
  } else {
    HttpRequest request;
    request.path = url;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, takeArgument, &request);
    reply = static_cast<HttpServer::Handler*>(cls)->operator()(request);
  }
  MHD_Response* response = makeResponse(reply, head);
  if (response == nullptr) {
    return MHD_NO;
  }
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
  MHD_destroy_response(response);
  return queued;
}

} // namespace

std::unique_ptr<HttpServer> HttpServer::listenOn(const std::string& where, Handler handler,
                                                 std::string& error, const HttpLimits& limits) {
  std::unique_ptr<HttpServer> server(new HttpServer());
  server->daemon_ = std::make_unique<Daemon>();
  Daemon& d = *server->daemon_;
  d.handler = std::move(handler);
  d.listener = listenSocket(where, error);
  if (d.listener < 0) {
    return nullptr;
  }
  server->port_ = boundPort(d.listener);
  d.daemon = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO, 0, nullptr, nullptr, &answer,
                              &d.handler, MHD_OPTION_LISTEN_SOCKET, d.listener, MHD_OPTION_THREAD_POOL_SIZE,
                              limits.threads, MHD_OPTION_CONNECTION_LIMIT, limits.connections,
                              MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits.perAddress,
                              MHD_OPTION_CONNECTION_TIMEOUT, limits.idleSeconds,
                              MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits.memoryPerConnection, MHD_OPTION_END);
  if (d.daemon == nullptr) {
    error = "cannot serve HTTP on '" + where + "': the server did not start";
    return nullptr;
  }
  return server;
}

HttpServer::~HttpServer() = default;

} // namespace baromon::platform
