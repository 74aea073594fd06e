#include "adapters/posix/PosixFileSystem.h"

#include <cerrno>
#include <cstdlib>
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
    struct stat st {};
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
  return !name.empty() && name[0] == '/' ? name : directory_ + "/" + name;
}

namespace {

bool isRegularFile(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// Removes what lies under `path` so that a new file can take the name, unless
// it is a file another opener holds: that one is somebody's work in progress.
// A link is removed itself (O_NOFOLLOW), never the file it leads to. False
// only when the name is held.
bool removeUnlessHeld(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && isRegularFile(fd) && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  // Our lock (if any) is kept across the unlink, so nobody takes the old file meanwhile.
  ::unlink(path.c_str());
  if (fd >= 0) {
    ::close(fd);
  }
  return true;
}

} // namespace

std::unique_ptr<File> PosixFileSystem::open(const std::string& name, FileAccess access, OpenMode mode) {
  // Never blocking in open(): a FIFO under one of our names would otherwise
  // wait there for a peer that never comes. Only regular files are kept.
  int flags = O_CLOEXEC | O_NONBLOCK;
  flags |= access == FileAccess::Read ? O_RDONLY : access == FileAccess::Write ? O_WRONLY : O_RDWR;
  switch (mode) {
  case OpenMode::OpenExisting:
    break;
  case OpenMode::CreateAlways:
  case OpenMode::OpenAlways:
    flags |= O_CREAT;
    break;
  case OpenMode::CreateNew:
  case OpenMode::CreateFresh:
    flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
    break;
  }
  const std::string path = pathOf(name);
  if (mode == OpenMode::CreateFresh && !removeUnlessHeld(path)) {
    return nullptr;
  }
  int fd = -1;
  // A file replaced by rename while we waited for its lock is no longer the one
  // under this name: writing to it would lose the bytes, so open the new one.
  for (int attempt = 0;; ++attempt) {
    fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
      return nullptr;
    }
    if (!isRegularFile(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return nullptr;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      break;
    }
    ::close(fd);
    if (attempt == 3) {
      return nullptr;
    }
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  // Truncate only once the lock is ours, so a failed open never empties a file another holds.
  if (mode == OpenMode::CreateAlways && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

std::string PosixFileSystem::finalName(const std::string& name) {
  const std::string path = pathOf(name);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
    return name;
  }
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) {
    return name; // leads nowhere: opening it fails as for a missing file
  }
  std::string target(resolved);
  std::free(resolved);
  return target;
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

// A new name is durable only once the directory holding it is on the disk.
void syncDirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
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
  syncDirectoryOf(pathOf(to));
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
  syncDirectoryOf(pathOf(to));
  return true;
}

bool PosixFileSystem::copyAccess(const std::string& from, const std::string& to) {
  struct stat source {};
  if (::stat(pathOf(from).c_str(), &source) != 0) {
    return false;
  }
  // Changed through a handle on the file itself, never through a link put in its place.
  const int fd = ::open(pathOf(to).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat target {};
  bool done = ::fstat(fd, &target) == 0 && S_ISREG(target.st_mode);
  // The owner first: a change of owner clears set-id bits, which the mode then restores.
  if (done && (target.st_uid != source.st_uid || target.st_gid != source.st_gid)) {
    done = ::fchown(fd, source.st_uid, source.st_gid) == 0;
  }
  done = done && ::fchmod(fd, source.st_mode & 07777) == 0;
  ::close(fd);
  return done;
}

bool PosixFileSystem::remove(const std::string& name) { return ::unlink(pathOf(name).c_str()) == 0; }

std::optional<std::uint64_t> PosixFileSystem::freeBytes() {
  struct statvfs st {};
  if (::statvfs(directory_.c_str(), &st) != 0) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
}

} // namespace baromon::platform
