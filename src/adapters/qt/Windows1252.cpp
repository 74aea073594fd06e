#include "adapters/qt/Windows1252.h"

#include "core/domain/Windows1252.h"

namespace baromon::qt {

namespace {

char16_t toUnicode(unsigned char byte) { return static_cast<char16_t>(unicodeOfWindows1252(byte)); }

} // namespace

QString fromWindows1252(const char* text, int count) {
  QString result;
  result.reserve(count > 0 ? count : 0);
  for (int i = 0; i < count; ++i) {
    result.append(QChar(toUnicode(static_cast<unsigned char>(text[i]))));
  }
  return result;
}

QString fromWindows1252(const std::string& text) {
  return fromWindows1252(text.data(), static_cast<int>(text.size()));
}

std::string toWindows1252(const QString& text) {
  std::string result;
  result.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      result.push_back(static_cast<char>(u));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (toUnicode(static_cast<unsigned char>(0x80 + i)) == u) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    result.push_back(mapped);
  }
  return result;
}

} // namespace baromon::qt
