#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <random>
#else
#include <sys/stat.h>
#endif

namespace baromon::fakes {

TempDir::TempDir() {
#ifdef _WIN32
  // No mkdtemp: a random name, taken only if create_directory made it.
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate =
        std::filesystem::temp_directory_path() / ("baromon-" + std::to_string(random() % 1000000000u));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("no temporary directory");
#else
  std::string pattern = (std::filesystem::temp_directory_path() / "baromon-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
#endif
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

#ifdef _WIN32
bool isSymlink(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(path, error));
}

bool isRegular(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error));
}

bool lexists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}
#else
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

#endif

} // namespace baromon::fakes
