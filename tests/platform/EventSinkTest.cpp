#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "adapters/posix/UserSession.h"

// The events beside monitor.err: UTF-8 for a Linux journal, the program's own Windows-1252
// bytes for a Windows console, which is switched to that code page (as every other text).

namespace {

using baromon::platform::StreamEventSink;
using baromon::platform::TextBytes;

std::string written(TextBytes bytes, int code, const std::string& text) {
  std::FILE* out = std::tmpfile();
  if (out == nullptr) {
    return "no temporary file";
  }
  StreamEventSink sink(out, bytes);
  sink.eventReported(code, text);
  std::rewind(out);
  std::string got;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) {
    got.push_back(static_cast<char>(c));
  }
  std::fclose(out);
  return got;
}

TEST(StreamEventSink, OneLinePerEventInTheBytesOfItsReader) {
  const std::string text = "Hinweis: Datei f\xFCr Temperatur \xB0"
                           "C";
  EXPECT_EQ(written(TextBytes::Utf8, 2, text),
            "baromon: event 2: Hinweis: Datei f\xC3\xBCr Temperatur \xC2\xB0"
            "C\n");
  EXPECT_EQ(written(TextBytes::Windows1252, 2, text), "baromon: event 2: " + text + "\n");
  EXPECT_EQ(written(TextBytes::Windows1252, -7, ""), "baromon: event -7: \n");
}

} // namespace
