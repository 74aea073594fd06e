#include "adapters/qt/Windows1252.h"

namespace baromon::qt {

namespace {

// 0x80..0x9F; the five unassigned bytes map to the C1 control of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t toUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

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
      if (kHigh[i] == u) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    result.push_back(mapped);
  }
  return result;
}

} // namespace baromon::qt
