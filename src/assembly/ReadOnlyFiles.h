#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Files.h"

namespace baromon::assembly {

// Files for a reader beside the monitor (render, the web server): every open that could
// create or change a file fails, so neither monitor.ini nor monitor.err is ever written.
class ReadOnlyFiles : public platform::FileSystem {
public:
  explicit ReadOnlyFiles(platform::FileSystem& inner) : inner_(inner) {}
  std::unique_ptr<platform::File> open(const std::string& name, platform::FileAccess access,
                                       platform::OpenMode mode) override {
    if (access != platform::FileAccess::Read || mode != platform::OpenMode::OpenExisting) {
      return nullptr;
    }
    return inner_.open(name, access, mode);
  }
  bool copy(const std::string&, const std::string&) override { return false; }
  bool remove(const std::string&) override { return false; }
  bool rename(const std::string&, const std::string&) override { return false; }
  bool linkReplacing(const std::string&, const std::string&) override { return false; }
  bool copyAccess(const std::string&, const std::string&) override { return false; }
  std::string finalName(const std::string& name) override { return inner_.finalName(name); }
  std::optional<std::uint64_t> freeBytes() override { return inner_.freeBytes(); }

private:
  platform::FileSystem& inner_;
};

} // namespace baromon::assembly
