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

} // namespace baromon::platform
