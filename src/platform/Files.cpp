#include "platform/Files.h"

namespace baromon::platform {

std::unique_ptr<File> FileSystem::openForAppend(const std::string& name) {
  auto file = open(name, FileAccess::ReadWrite, OpenMode::OpenExisting);
  if (!file) {
    // Only where nothing exists yet: the first open may have failed because
    // another program held the file and has let go since; truncating it now
    // would throw the whole log away.
    file = open(name, FileAccess::ReadWrite, OpenMode::CreateNew);
  }
  if (file && !file->seek(0, SeekFrom::End)) {
    return nullptr;
  }
  return file;
}

std::optional<std::size_t> readFully(File& file, void* buffer, std::size_t count) {
  auto* bytes = static_cast<char*>(buffer);
  std::size_t got = 0;
  while (got < count) {
    const auto n = file.read(bytes + got, count - got);
    if (!n) {
      return std::nullopt;
    }
    if (*n == 0) {
      break;
    }
    got += *n;
  }
  return got;
}

} // namespace baromon::platform
