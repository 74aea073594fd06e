#include "platform/Files.h"

namespace baromon::platform {

std::unique_ptr<File> FileSystem::openForAppend(const std::string& name) {
  auto file = open(name, FileAccess::ReadWrite, OpenMode::OpenExisting);
  if (!file) {
    file = open(name, FileAccess::ReadWrite, OpenMode::CreateAlways);
  }
  if (file && !file->seek(0, SeekFrom::End)) {
    return nullptr;
  }
  return file;
}

} // namespace baromon::platform
