#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <utility>

namespace baromon::platform {

namespace {

class PosixFile final : public File {
public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); } // closing also drops the lock
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::optional<std::size_t> read(void* buffer, std::size_t count) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, count);
      if (n >= 0) {
        return static_cast<std::size_t>(n);
      }
      if (errno != EINTR) {
        return std::nullopt;
      }
    }
  }

  std::optional<std::size_t> write(const void* buffer, std::size_t count) override {
    const char* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
      ssize_t n = ::write(fd_, bytes + done, count - done);
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        return std::nullopt;
      }
      if (n == 0) {
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    if (done < count) {
      return std::nullopt;
    }
    return done;
  }

  std::optional<std::int64_t> seek(std::int64_t offset, SeekFrom from) override {
    int whence = from == SeekFrom::Begin ? SEEK_SET : from == SeekFrom::Current ? SEEK_CUR : SEEK_END;
    off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0) {
      return std::nullopt; // EINVAL before the start: the position is unchanged
    }
    return static_cast<std::int64_t>(result);
  }

  std::optional<std::int64_t> size() override {
    struct stat st{};
    if (::fstat(fd_, &st) != 0) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(st.st_size);
  }

  bool sync() override { return ::fdatasync(fd_) == 0; }

  bool resize(std::int64_t length) override {
    return length >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
  }

private:
  int fd_;
};

} // namespace

PosixFileSystem::PosixFileSystem(std::string directory) : directory_(std::move(directory)) {}

std::string PosixFileSystem::pathOf(const std::string& name) const {
  return directory_ + "/" + name;
}

std::unique_ptr<File> PosixFileSystem::open(const std::string& name, FileAccess access, OpenMode mode) {
  int flags = O_CLOEXEC;
  flags |= access == FileAccess::Read ? O_RDONLY : access == FileAccess::Write ? O_WRONLY : O_RDWR;
  if (mode != OpenMode::OpenExisting) {
    flags |= O_CREAT;
  }
  const std::string path = pathOf(name);
  int fd = -1;
  // A file replaced by rename while we waited for its lock is no longer the one
  // under this name: writing to it would lose the bytes, so open the new one.
  for (int attempt = 0;; ++attempt) {
    fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
      return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return nullptr;
    }
    struct stat held{};
    struct stat named{};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      break;
    }
    ::close(fd);
    if (attempt == 3) {
      return nullptr;
    }
  }
  // Truncate only once the lock is ours, so a failed open never empties a file another holds.
  if (mode == OpenMode::CreateAlways && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

bool PosixFileSystem::copy(const std::string& from, const std::string& to) {
  auto source = open(from, FileAccess::Read, OpenMode::OpenExisting);
  if (!source) {
    return false;
  }
  auto target = open(to, FileAccess::Write, OpenMode::CreateAlways);
  if (!target) {
    return false;
  }
  char buffer[65536];
  for (;;) {
    auto n = source->read(buffer, sizeof buffer);
    if (!n) {
      return false;
    }
    if (*n == 0) {
      break;
    }
    if (!target->write(buffer, *n)) {
      return false;
    }
  }
  return true;
}

namespace {

// A new name is durable only once the directory itself is on the disk.
void syncDirectory(const std::string& directory) {
  int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

} // namespace

bool PosixFileSystem::rename(const std::string& from, const std::string& to) {
  if (::rename(pathOf(from).c_str(), pathOf(to).c_str()) != 0) {
    return false;
  }
  syncDirectory(directory_);
  return true;
}

bool PosixFileSystem::linkReplacing(const std::string& from, const std::string& to) {
  // Linked under a scratch name first, so `to` is never missing: the rename
  // swaps the old file for the link in one step.
  const std::string scratch = pathOf(to + ".link");
  ::unlink(scratch.c_str());
  if (::link(pathOf(from).c_str(), scratch.c_str()) != 0) {
    return false;
  }
  const bool renamed = ::rename(scratch.c_str(), pathOf(to).c_str()) == 0;
  ::unlink(scratch.c_str()); // left over when `to` already was this file
  if (!renamed) {
    return false;
  }
  syncDirectory(directory_);
  return true;
}

bool PosixFileSystem::remove(const std::string& name) {
  return ::unlink(pathOf(name).c_str()) == 0;
}

std::optional<std::uint64_t> PosixFileSystem::freeBytes() {
  struct statvfs st{};
  if (::statvfs(directory_.c_str(), &st) != 0) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
}

} // namespace baromon::platform
