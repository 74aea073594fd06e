#pragma once

#include <memory>
#include <string>

#include "platform/Files.h"

namespace baromon::platform {

// Files in one directory through kernel32. Every open shares neither reading nor
// writing, so a second opener, in this process or another, fails while the first
// holds the file; only deleting is shared, which is what lets the log check and the
// settings rename a new file over one they hold. Only files on a disk are kept:
// a directory, a device name ("NUL", "COM1") or a pipe fails the open as a missing
// file would.
class Win32FileSystem final : public FileSystem {
public:
  explicit Win32FileSystem(std::string directory = ".");
  ~Win32FileSystem() override;
  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;

  std::unique_ptr<File> open(const std::string& name, FileAccess access, OpenMode mode) override;
  bool copy(const std::string& from, const std::string& to) override;
  bool remove(const std::string& name) override;
  bool rename(const std::string& from, const std::string& to) override;
  bool linkReplacing(const std::string& from, const std::string& to) override;
  bool copyAccess(const std::string& from, const std::string& to) override;
  // Links are not followed here: a repair works beside the name it was given.
  std::string finalName(const std::string& name) override { return name; }
  std::optional<std::uint64_t> freeBytes() override;

  // A name relative to the directory, or an absolute path ("C:\...", "\\server\...").
  std::string pathOf(const std::string& name) const;

  struct Held;

private:
  std::string directory_;
  std::shared_ptr<Held> held_; // shared with the open files, which may outlive this object
};

} // namespace baromon::platform
