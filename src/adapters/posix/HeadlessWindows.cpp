#include "adapters/posix/HeadlessWindows.h"

#include <unistd.h>

#include "adapters/posix/Programs.h"

namespace baromon::platform {

namespace {

// Unicode of the bytes 0x80..0x9F; 0 where Windows-1252 has no character.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

} // namespace

std::string windows1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char b : text) {
    char32_t c = b;
    if (b >= 0x80 && b < 0xA0) {
      c = kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : U'?';
    }
    appendUtf8(out, c);
  }
  return out;
}

HeadlessWindows::HeadlessWindows(std::FILE* err) : err_(err) {}

void HeadlessWindows::messageBox(const std::string& text, const std::string& caption, BoxIcon) {
#ifdef _WIN32
  // Windows-1252 is the system's own code page there (the console is set to it).
  std::fprintf(err_, "%s: %s\n", caption.c_str(), text.c_str());
#else
  std::fprintf(err_, "%s: %s\n", windows1252ToUtf8(caption).c_str(), windows1252ToUtf8(text).c_str());
#endif
  std::fflush(err_);
}

void HeadlessWindows::beep(BeepKind) {
  if (::isatty(::fileno(err_)) != 0) {
    std::fputc('\a', err_);
    std::fflush(err_);
  }
}

void HeadlessWindows::postQuit(int exitCode) {
  quit_ = true;
  quitCode_ = exitCode;
}

void HeadlessWindows::setTitle(WindowId window, const std::string& title) {
  auto it = windows_.find(window);
  if (it != windows_.end()) {
    it->second.title = title;
  }
}

std::string HeadlessWindows::title(WindowId window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? std::string() : it->second.title;
}

bool HeadlessWindows::createWindow(WindowId window, const WindowSpec& wanted) {
  windows_[window] = Window{wanted, wanted.title, {}, 0};
  return true;
}

void HeadlessWindows::destroyWindow(WindowId window) { windows_.erase(window); }

ScreenSize HeadlessWindows::windowOuterSize(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? ScreenSize{} : ScreenSize{it->second.wanted.width, it->second.wanted.height};
}

bool HeadlessWindows::createEditField(WindowId parent, const ControlRect&, std::size_t maxChars) {
  auto it = windows_.find(parent);
  if (it == windows_.end()) {
    return false;
  }
  it->second.editLimit = maxChars;
  return true;
}

void HeadlessWindows::setEditText(WindowId parent, const std::string& text) {
  auto it = windows_.find(parent);
  if (it != windows_.end()) {
    it->second.edit = text.substr(0, it->second.editLimit);
  }
}

std::string HeadlessWindows::editText(WindowId parent, std::size_t maxChars) {
  auto it = windows_.find(parent);
  return it == windows_.end() ? std::string() : it->second.edit.substr(0, maxChars);
}

bool HeadlessWindows::startProgram(const std::string& program) { return startDetachedProgram(program); }

} // namespace baromon::platform
