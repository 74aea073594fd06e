#pragma once

namespace baromon::assembly {

// The program's texts are Windows-1252 bytes. A console shows bytes in its output
// code page, which is the OEM one (850, 437) unless changed: "ü" (0xFC) would show as
// "³". While this object lives, a console that standard output or standard error
// writes to uses code page 1252; the console gets its page back afterwards.
// Redirected output is not touched: files and pipes get the bytes as they are.
class ConsoleCodePage {
public:
  ConsoleCodePage();
  ~ConsoleCodePage();
  ConsoleCodePage(const ConsoleCodePage&) = delete;
  ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

  // The page the console had; 0 when no console was changed.
  unsigned previous() const { return previous_; }

private:
  unsigned previous_ = 0;
};

} // namespace baromon::assembly
