#include <memory>
#include <string>

#include "adapters/posix/HttpServer.h"
#include "assembly/NetworkServices.h"
#include "assembly/WebService.h"

namespace baromon::assembly {

namespace {

class WebServer final : public WebServing {
public:
  bool listen(const std::string& where, std::string& error) {
    http_ = platform::HttpServer::listenOn(
        where, [this](const platform::HttpRequest& request) { return web_.answer(request); }, error);
    return http_ != nullptr;
  }
  void publish(const AppContext& app) override { web_.publish(app); }

private:
  // The server stops first (declared last): no request is answered from a service that is gone.
  WebService web_;
  std::unique_ptr<platform::HttpServer> http_;
};

} // namespace

std::unique_ptr<WebServing> serveWeb(const std::string& where, std::string& error) {
  auto server = std::make_unique<WebServer>();
  if (!server->listen(where, error)) {
    return nullptr;
  }
  return server;
}

} // namespace baromon::assembly
