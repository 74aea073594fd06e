#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <unistd.h>

#include "adapters/posix/MqttPublisher.h"
#include "assembly/FrontEndHandOver.h"
#include "assembly/NetworkServices.h"
#include "assembly/ServiceModules.h"

#ifndef BAROMON_MODULE_DIR
#define BAROMON_MODULE_DIR "/usr/lib/baromon"
#endif
#ifndef BAROMON_MODULE_SUBDIR
#define BAROMON_MODULE_SUBDIR "lib/baromon"
#endif

namespace baromon::assembly {

namespace {

// Loads the module `name` (looked for beside this program, as in the build tree, in
// ../lib/baromon/ from there, an installation wherever its prefix, then at the configured
// folder) and finds `entry` in it. The module stays loaded until the process ends: what it
// made lives in its code. Null, with the reason in `error`, when it is missing, fails to
// load or is of another build.
void* entryOf(const char* name, const char* entry, const char* option, std::string& error) {
  std::string places[3];
  std::size_t count = 0;
  if (const std::string folder = ownFolder(); !folder.empty()) {
    places[count++] = folder + "/" + name;
    places[count++] = folder + "/../" BAROMON_MODULE_SUBDIR "/" + name;
  }
  places[count++] = std::string(BAROMON_MODULE_DIR "/") + name;
  for (std::size_t i = 0; i < count; ++i) {
    if (::access(places[i].c_str(), R_OK) != 0) {
      continue;
    }
    void* module = ::dlopen(places[i].c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* why = ::dlerror();
      error =
          std::string(option) + " cannot load " + places[i] + ": " + (why != nullptr ? why : "unknown error");
      return nullptr;
    }
    using Version = const char* (*)();
    const auto version = reinterpret_cast<Version>(::dlsym(module, "baromon_module_version"));
    void* found = ::dlsym(module, entry);
    if (version == nullptr || found == nullptr || std::strcmp(version(), BAROMON_VERSION) != 0) {
      error = std::string(option) + ": " + places[i] + " is not of this baromon (" BAROMON_VERSION ")";
      return nullptr;
    }
    return found;
  }
  error = std::string(option) + " needs " + name +
          ", which is not installed (looked for beside this program and in " + BAROMON_MODULE_DIR ")";
  return nullptr;
}

} // namespace

std::unique_ptr<WebServing> serveWeb(const std::string& where, std::string& error) {
  using Entry = decltype(&baromon_serve_web);
  const auto entry =
      reinterpret_cast<Entry>(entryOf("baromon-web.so", "baromon_serve_web", "--serve-http", error));
  return std::unique_ptr<WebServing>(entry != nullptr ? entry(where, error) : nullptr);
}

std::unique_ptr<platform::TelemetryOutlet> startPublisher(const platform::MqttOptions& options,
                                                          std::string& error) {
  using Entry = decltype(&baromon_start_publisher);
  const auto entry =
      reinterpret_cast<Entry>(entryOf("baromon-mqtt.so", "baromon_start_publisher", "--mqtt", error));
  return std::unique_ptr<platform::TelemetryOutlet>(entry != nullptr ? entry(options, error) : nullptr);
}

} // namespace baromon::assembly
