#include "assembly/NetworkServices.h"
#include "assembly/ServiceModules.h"

extern "C" {

__attribute__((visibility("default"))) const char* baromon_module_version() { return BAROMON_VERSION; }

__attribute__((visibility("default"))) baromon::assembly::WebServing*
baromon_serve_web(const std::string& where, std::string& error) {
  return baromon::assembly::serveWeb(where, error).release();
}
}
