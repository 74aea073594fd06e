#pragma once

#include <string>

#include "platform/Files.h"

namespace baromon::platform {

// Files in one directory. Every open takes an exclusive flock, which stands in
// for opening without sharing: a second opener, in this process or another,
// fails while the first holds the file. Only regular files are opened: a FIFO,
// a directory or a device under a file's name fails the open, without waiting.
class PosixFileSystem final : public FileSystem {
public:
  explicit PosixFileSystem(std::string directory = ".");

  std::unique_ptr<File> open(const std::string& name, FileAccess access, OpenMode mode) override;
  bool copy(const std::string& from, const std::string& to) override;
  bool remove(const std::string& name) override;
  bool rename(const std::string& from, const std::string& to) override;
  bool linkReplacing(const std::string& from, const std::string& to) override;
  bool copyAccess(const std::string& from, const std::string& to) override;
  std::optional<std::uint64_t> freeBytes() override;
  std::string finalName(const std::string& name) override;

  // A name relative to the directory, or an absolute path as finalName gives.
  std::string pathOf(const std::string& name) const;

private:
  std::string directory_;
};

} // namespace baromon::platform
