#pragma once

#include <QString>
#include <string>

namespace baromon::qt {

// The program holds every text in Windows-1252; Qt wants Unicode. These convert
// where a text reaches the toolkit and back (unmappable characters become '?').
QString fromWindows1252(const char* text, int count);
QString fromWindows1252(const std::string& text);
std::string toWindows1252(const QString& text);

} // namespace baromon::qt
