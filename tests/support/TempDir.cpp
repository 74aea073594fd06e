#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <sys/stat.h>

namespace baromon::fakes {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "baromon-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void TempDir::write(const std::string& name, const std::string& contents) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out << contents;
}

bool TempDir::exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

std::map<std::string, std::string> TempDir::snapshot() const {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) {
      entries[name] = "-> " + std::filesystem::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      entries[name] = "<dir>";
    } else {
      entries[name] = read(name);
    }
  }
  return entries;
}

bool isSymlink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isRegular(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool lexists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

} // namespace baromon::fakes
