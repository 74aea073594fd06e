#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Files.h"

namespace baromon::fakes {

using namespace baromon::platform;

// Wraps a real file system and makes chosen operations fail, to drive error
// paths: every operation (open, read, write, seek, size, sync, resize, copy,
// rename, link, access, remove) is one numbered step, and step `failAt` fails.
class FaultyFileSystem final : public FileSystem {
public:
  explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

  int failAt = 0;            // 1-based step that fails; 0 = none
  int steps = 0;             // steps taken so far
  bool failAllReads = false; // every read fails
  std::string shortWritesTo; // every write to this file stores half its bytes, then fails
  // Called before each step with its name ("open:monitor.txt", "read", "rename", ...).
  std::function<void(const std::string&)> onStep;
  std::string failedStep; // the name of the step that failed, once it has

  // True when this step is to fail.
  bool step(const std::string& what) {
    ++steps;
    if (onStep) {
      onStep(what);
    }
    if (steps == failAt) {
      failedStep = what;
    }
    return steps == failAt;
  }

  std::unique_ptr<File> open(const std::string& name, FileAccess access, OpenMode mode) override {
    if (step("open:" + name)) {
      return nullptr;
    }
    auto file = real_.open(name, access, mode);
    if (!file) {
      return nullptr;
    }
    return std::make_unique<FaultyFile>(std::move(file), *this, name == shortWritesTo);
  }
  bool copy(const std::string& from, const std::string& to) override {
    return !step("copy") && real_.copy(from, to);
  }
  bool remove(const std::string& name) override { return !step("remove") && real_.remove(name); }
  bool rename(const std::string& from, const std::string& to) override {
    return !step("rename") && real_.rename(from, to);
  }
  bool linkReplacing(const std::string& from, const std::string& to) override {
    return !step("link") && real_.linkReplacing(from, to);
  }
  bool copyAccess(const std::string& from, const std::string& to) override {
    return !step("access") && real_.copyAccess(from, to);
  }
  std::optional<std::uint64_t> freeBytes() override { return real_.freeBytes(); }
  std::string finalName(const std::string& name) override { return real_.finalName(name); }

private:
  class FaultyFile final : public File {
  public:
    FaultyFile(std::unique_ptr<File> real, FaultyFileSystem& owner, bool shortWrites)
        : real_(std::move(real)), owner_(owner), shortWrites_(shortWrites) {}
    std::optional<std::size_t> read(void* buffer, std::size_t count) override {
      if (owner_.step("read") || owner_.failAllReads) {
        return std::nullopt;
      }
      return real_->read(buffer, count);
    }
    std::optional<std::size_t> write(const void* buffer, std::size_t count) override {
      if (owner_.step("write")) {
        return std::nullopt;
      }
      if (shortWrites_) {
        (void)real_->write(buffer, count / 2);
        return std::nullopt;
      }
      return real_->write(buffer, count);
    }
    std::optional<std::int64_t> seek(std::int64_t offset, SeekFrom from) override {
      if (owner_.step("seek")) {
        return std::nullopt;
      }
      return real_->seek(offset, from);
    }
    std::optional<std::int64_t> size() override {
      if (owner_.step("size")) {
        return std::nullopt;
      }
      return real_->size();
    }
    bool sync() override { return !owner_.step("sync") && real_->sync(); }
    bool resize(std::int64_t length) override { return !owner_.step("resize") && real_->resize(length); }

  private:
    std::unique_ptr<File> real_;
    FaultyFileSystem& owner_;
    bool shortWrites_;
  };

  FileSystem& real_;
};

} // namespace baromon::fakes
