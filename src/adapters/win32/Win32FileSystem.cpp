#include "adapters/win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace baromon::platform {

namespace {

// Neither reading nor writing is shared: that is what keeps a second opener out.
// Deleting is, because a rename over a file needs it of every handle on that file,
// and the core renames new files over ones it holds itself.
constexpr DWORD kShareMode = FILE_SHARE_DELETE;

class Win32File;

} // namespace

// The files this file system has open, by full lower-case path. Windows renames no
// file over one with open handles, which the core's swaps do over files they hold:
// the rename lets go of those handles for the moment of the move (the core holds them
// only to keep other writers out, and waits with its acquisition paused).
struct Win32FileSystem::Held {
  std::map<std::string, std::set<Win32File*>> files;
};

namespace {

std::string keyOf(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string key = n > 0 && n < sizeof full ? std::string(full, n) : path;
  for (char& c : key) {
    c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

class Win32File final : public File {
public:
  Win32File(HANDLE handle, std::string path, DWORD access, std::shared_ptr<Win32FileSystem::Held> held)
      : handle_(handle), path_(std::move(path)), access_(access), held_(std::move(held)) {
    held_->files[keyOf(path_)].insert(this);
  }
  ~Win32File() override {
    release();
    held_->files[keyOf(path_)].erase(this);
  }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  // Closes the handle for a rename, keeping the position.
  void release() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      LARGE_INTEGER zero{};
      ::SetFilePointerEx(handle_, zero, &position_, FILE_CURRENT);
      ::CloseHandle(handle_);
      handle_ = INVALID_HANDLE_VALUE;
    }
  }
  // Opens the file under `path` again at the kept position; false leaves it closed.
  bool reopen(const std::string& path, DWORD share) {
    held_->files[keyOf(path_)].erase(this);
    path_ = path;
    held_->files[keyOf(path_)].insert(this);
    handle_ =
        ::CreateFileA(path.c_str(), access_, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
      return false;
    }
    ::SetFilePointerEx(handle_, position_, nullptr, FILE_BEGIN);
    return true;
  }

  std::optional<std::size_t> read(void* buffer, std::size_t count) override {
    DWORD got = 0;
    const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    if (!::ReadFile(handle_, buffer, want, &got, nullptr)) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(got);
  }

  std::optional<std::size_t> write(const void* buffer, std::size_t count) override {
    const char* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
      const std::size_t rest = count - done;
      const DWORD chunk = rest > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest);
      DWORD n = 0;
      if (!::WriteFile(handle_, bytes + done, chunk, &n, nullptr)) {
        return std::nullopt;
      }
      if (n == 0) {
        break;
      }
      done += n;
    }
    if (done < count) {
      return std::nullopt;
    }
    return done;
  }

  std::optional<std::int64_t> seek(std::int64_t offset, SeekFrom from) override {
    const DWORD method = from == SeekFrom::Begin     ? FILE_BEGIN
                         : from == SeekFrom::Current ? FILE_CURRENT
                                                     : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    // A position before the start is refused by the system and leaves the position as it was.
    if (!::SetFilePointerEx(handle_, distance, &result, method)) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(result.QuadPart);
  }

  std::optional<std::int64_t> size() override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_, &size)) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(size.QuadPart);
  }

  // Windows flushes only through a handle that may write; one that only reads has
  // nothing of its own to flush (the log check syncs the log it read).
  bool sync() override {
    return (access_ & GENERIC_WRITE) == 0 ? handle_ != INVALID_HANDLE_VALUE
                                          : ::FlushFileBuffers(handle_) != 0;
  }

  bool resize(std::int64_t length) override {
    if (length < 0) {
      return false;
    }
    LARGE_INTEGER here{};
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(handle_, zero, &here, FILE_CURRENT)) {
      return false;
    }
    LARGE_INTEGER target;
    target.QuadPart = length;
    const bool done = ::SetFilePointerEx(handle_, target, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle_);
    ::SetFilePointerEx(handle_, here, nullptr, FILE_BEGIN);
    return done;
  }

  const std::string& path() const { return path_; }

private:
  HANDLE handle_;
  std::string path_;
  DWORD access_;
  std::shared_ptr<Win32FileSystem::Held> held_;
  LARGE_INTEGER position_{};
};

// A file on a disk, not a directory: a device or pipe under a name would make the
// program wait on it or write into it.
bool isDiskFile(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileInformationByHandle(handle, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// What lies under `path` without following a link there.
DWORD attributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

// Removes what lies under `path` so that a new file can take the name, unless it is
// a file another opener holds: that one is somebody's work in progress. A link is
// removed itself, never the file it leads to. False only when the name is held.
bool removeUnlessHeld(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return true; // nothing there
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      ::RemoveDirectoryA(path.c_str());
    } else {
      ::DeleteFileA(path.c_str());
    }
    return true;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true; // left alone; the create that follows fails on it
  }
  // Opened the way every opener here opens, so a holder makes this fail; deleted
  // through our own handle, so nobody takes the old file meanwhile.
  HANDLE held = ::CreateFileA(path.c_str(), DELETE, kShareMode, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    return ::GetLastError() != ERROR_SHARING_VIOLATION;
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  ::SetFileInformationByHandle(held, FileDispositionInfo, &disposition, sizeof disposition);
  ::CloseHandle(held);
  return true;
}

bool isAbsolute(const std::string& name) {
  return (name.size() >= 2 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
}

} // namespace

Win32FileSystem::Win32FileSystem(std::string directory)
    : directory_(std::move(directory)), held_(std::make_shared<Held>()) {}

Win32FileSystem::~Win32FileSystem() = default;

std::string Win32FileSystem::pathOf(const std::string& name) const {
  return isAbsolute(name) ? name : directory_ + "\\" + name;
}

std::unique_ptr<File> Win32FileSystem::open(const std::string& name, FileAccess access, OpenMode mode) {
  DWORD desired = access == FileAccess::Read    ? GENERIC_READ
                  : access == FileAccess::Write ? GENERIC_WRITE
                                                : GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  switch (mode) {
  case OpenMode::OpenExisting:
    break;
  case OpenMode::CreateAlways:
    // Truncated only once the handle is ours, so a failed open never empties a
    // file another holds (CREATE_ALWAYS would also drop its attributes).
    disposition = OPEN_ALWAYS;
    desired |= GENERIC_WRITE;
    break;
  case OpenMode::OpenAlways:
    disposition = OPEN_ALWAYS;
    break;
  case OpenMode::CreateNew:
  case OpenMode::CreateFresh:
    // CREATE_NEW fails on anything under the name, a link included, dangling or not.
    disposition = CREATE_NEW;
    flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    break;
  }
  const std::string path = pathOf(name);
  if (mode == OpenMode::CreateFresh && !removeUnlessHeld(path)) {
    return nullptr;
  }
  HANDLE handle = ::CreateFileA(path.c_str(), desired, kShareMode, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  if (!isDiskFile(handle)) {
    ::CloseHandle(handle);
    return nullptr;
  }
  if (mode == OpenMode::CreateAlways && !::SetEndOfFile(handle)) {
    ::CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<Win32File>(handle, path, desired, held_);
}

bool Win32FileSystem::copy(const std::string& from, const std::string& to) {
  auto source = open(from, FileAccess::Read, OpenMode::OpenExisting);
  if (!source) {
    return false;
  }
  auto target = open(to, FileAccess::Write, OpenMode::CreateAlways);
  if (!target) {
    return false;
  }
  std::vector<char> buffer(65536);
  for (;;) {
    auto n = source->read(buffer.data(), buffer.size());
    if (!n) {
      return false;
    }
    if (*n == 0) {
      break;
    }
    if (!target->write(buffer.data(), *n)) {
      return false;
    }
  }
  return true;
}

bool Win32FileSystem::remove(const std::string& name) { return ::DeleteFileA(pathOf(name).c_str()) != 0; }

namespace {

std::wstring wide(const std::string& text) {
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? static_cast<std::size_t>(n) : 0u, L'\0');
  if (n > 0) {
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
    out.resize(static_cast<std::size_t>(n - 1));
  }
  return out;
}

// The rename of POSIX: the name `to` passes to `from`'s file even while handles are
// open on the file it named (the check and the settings hold theirs), which the
// classic rename refuses. Windows 10 1607 and later.
bool renameReplacingHeld(const std::string& from, const std::string& to) {
  HANDLE handle = ::CreateFileA(from.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  std::wstring target = wide(to);
  wchar_t full[MAX_PATH * 4];
  const DWORD length = ::GetFullPathNameW(target.c_str(), MAX_PATH * 4, full, nullptr);
  if (length > 0 && length < MAX_PATH * 4) {
    target.assign(full, length);
  }
  const std::size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
  std::vector<char> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  // FileRenameInfoEx; the headers name it only for a later Windows 10 than the one we need.
  constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
  const bool renamed =
      ::SetFileInformationByHandle(handle, kRenameInfoEx, info, static_cast<DWORD>(bytes)) != 0;
  ::CloseHandle(handle);
  return renamed;
}

} // namespace

bool Win32FileSystem::rename(const std::string& from, const std::string& to) {
  const std::string source = pathOf(from);
  const std::string target = pathOf(to);
  // MOVEFILE_WRITE_THROUGH returns only once the new name is on the disk.
  constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (::MoveFileExA(source.c_str(), target.c_str(), kMove)) {
    return true;
  }
  std::vector<Win32File*> moving;
  std::vector<Win32File*> replaced;
  for (Win32File* file : held_->files[keyOf(source)]) {
    moving.push_back(file);
  }
  for (Win32File* file : held_->files[keyOf(target)]) {
    replaced.push_back(file);
  }
  if (moving.empty() && replaced.empty()) {
    return renameReplacingHeld(source, target);
  }
  for (Win32File* file : moving) {
    file->release();
  }
  for (Win32File* file : replaced) {
    file->release();
  }
  const bool moved = ::MoveFileExA(source.c_str(), target.c_str(), kMove) != 0;
  // The moved file is held again under its new name; a replaced file is gone from
  // its name (or lives on as the backup), so its handle stays closed and fails.
  for (Win32File* file : moving) {
    file->reopen(moved ? target : source, kShareMode);
  }
  if (!moved) {
    for (Win32File* file : replaced) {
      file->reopen(target, kShareMode);
    }
  }
  return moved;
}

bool Win32FileSystem::linkReplacing(const std::string& from, const std::string& to) {
  // Linked under a scratch name first, so `to` is never missing: the move swaps the
  // old file for the link in one step.
  const std::string scratch = pathOf(to + ".link");
  ::DeleteFileA(scratch.c_str());
  if (!::CreateHardLinkA(scratch.c_str(), pathOf(from).c_str(), nullptr)) {
    return false;
  }
  const bool moved = ::MoveFileExA(scratch.c_str(), pathOf(to).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!moved) {
    ::DeleteFileA(scratch.c_str());
  }
  return moved;
}

bool Win32FileSystem::copyAccess(const std::string& from, const std::string& to) {
  // Owner and permissions live in the security descriptor, which a new file inherits
  // from its directory like the one it replaces; what a user sets on the file itself
  // are these attributes. The others describe how the file is stored.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = ::GetFileAttributesA(pathOf(from).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const DWORD kept = attributes & kSettable;
  if ((kept & ~FILE_ATTRIBUTE_ARCHIVE) == 0) {
    return true; // what every new file has already
  }
  return ::SetFileAttributesA(pathOf(to).c_str(), kept) != 0;
}

std::optional<std::uint64_t> Win32FileSystem::freeBytes() {
  ULARGE_INTEGER available;
  if (!::GetDiskFreeSpaceExA(directory_.c_str(), &available, nullptr, nullptr)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(available.QuadPart);
}

} // namespace baromon::platform
