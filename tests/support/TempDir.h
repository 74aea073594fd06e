#pragma once

#include <map>
#include <string>

namespace baromon::fakes {

// A fresh directory under /tmp, removed with its contents when the object dies.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Whole contents of a file in the directory ("" when missing).
  std::string read(const std::string& name) const;
  void write(const std::string& name, const std::string& contents) const;
  bool exists(const std::string& name) const;
  // Every entry of the directory by name with its contents (a subdirectory as "<dir>",
  // a symbolic link as "-> target"), to see that a run left it exactly as it was.
  std::map<std::string, std::string> snapshot() const;

private:
  std::string path_;
};

// What lies under a path, without following a link there.
bool isSymlink(const std::string& path);
bool isRegular(const std::string& path);
bool lexists(const std::string& path);

} // namespace baromon::fakes
