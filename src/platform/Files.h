#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace baromon::platform {

enum class FileAccess { Read, Write, ReadWrite };

// How a file is opened; the names follow the disposition a caller asks for.
enum class OpenMode {
  OpenExisting, // fail when the file does not exist
  CreateAlways, // create, or truncate an existing file
  OpenAlways,   // open an existing file without truncating it, else create it
  CreateNew,    // create; fail when anything (a file, a link, even a dangling one) has the name
  CreateFresh,  // remove what has the name (a link itself, never its target), then CreateNew;
                // fail, leaving it, when another opener holds the file under the name
};

enum class SeekFrom { Begin, Current, End };

// An open file, held exclusively (no other opener succeeds while it is open).
// Every failure is a value; nothing throws.
class File {
public:
  virtual ~File() = default;
  // Bytes read (0 at end of file), or nullopt when the read failed.
  virtual std::optional<std::size_t> read(void* buffer, std::size_t count) = 0;
  // Bytes written, or nullopt when the write failed (a short count is possible on a full disk).
  virtual std::optional<std::size_t> write(const void* buffer, std::size_t count) = 0;
  // New position, or nullopt when refused; a seek before the start of the
  // file is refused and leaves the position where it was.
  virtual std::optional<std::int64_t> seek(std::int64_t offset, SeekFrom from) = 0;
  virtual std::optional<std::int64_t> size() = 0;
  // Forces the bytes written so far onto the storage device; false when that failed.
  virtual bool sync() = 0;
  // Cuts or extends the file to `length` bytes; false when refused.
  virtual bool resize(std::int64_t length) = 0;
};

// Reads `count` bytes unless the file ends first (a read may return fewer than asked);
// the bytes read, or nullopt when a read failed.
std::optional<std::size_t> readFully(File& file, void* buffer, std::size_t count);

// File access in one directory (the program keeps all its files in the current
// directory). Names are plain file names such as "monitor.txt", or names that
// finalName gave. Only regular files are opened; anything else under a name
// (a FIFO, a directory, a device) fails the open as a missing file would,
// without waiting.
class FileSystem {
public:
  virtual ~FileSystem() = default;
  // nullptr when the file cannot be opened: missing, locked by another opener, no permission.
  virtual std::unique_ptr<File> open(const std::string& name, FileAccess access, OpenMode mode) = 0;
  // Opens an existing file for read and write, else creates a new one (never
  // truncating: a file that exists but is held fails the append as a failed
  // open does), then positions at the end. The append idiom of every writer
  // of this program.
  std::unique_ptr<File> openForAppend(const std::string& name);
  // The file `name` stands for once every symbolic link is followed, as a name
  // `open` and `rename` accept; `name` itself when it is no link or leads
  // nowhere. Files that must lie beside a linked file (so that a rename over
  // it stays on its disk and the link keeps working) are named after it.
  virtual std::string finalName(const std::string& name) = 0;
  virtual bool copy(const std::string& from, const std::string& to) = 0; // replaces `to`
  virtual bool remove(const std::string& name) = 0;
  // Replaces `to` by `from` in one step: a reader sees either the old or the new
  // file under `to`, never a mixture, even if the process dies meanwhile.
  // Renaming over a file another opener holds is allowed.
  virtual bool rename(const std::string& from, const std::string& to) = 0;
  // Makes `to` a second name of the file `from` (a hard link), replacing any
  // file under `to` in one step. False where the file system has no such links;
  // callers then copy.
  virtual bool linkReplacing(const std::string& from, const std::string& to) = 0;
  // Gives the file `to` the owner, group and permissions of the file `from` (on
  // Windows its attributes), so that a file made to replace another serves the same
  // users. False when the system refuses: only root may give a file to another user.
  virtual bool copyAccess(const std::string& from, const std::string& to) = 0;
  // Free bytes available to this user on the file system of the directory, or nullopt.
  virtual std::optional<std::uint64_t> freeBytes() = 0;
};

} // namespace baromon::platform
