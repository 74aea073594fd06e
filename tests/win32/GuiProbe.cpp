// gui_probe: looks at the running Windows monitor from outside, as a user would.
//   gui_probe seed DIR            writes DIR/monitor.txt, two days of barogram with every curve
//   gui_probe check PICTURE.png   waits for the main window, answers a box it shows, waits
//                                 until the barogram is painted, saves the client area as a
//                                 picture and closes the window
//   gui_probe screen PICTURE.png  opens the values window from the menu, waits for the barogram
//                                 and a live reading in the title, saves the whole screen and
//                                 closes the window
//   gui_probe spectrum PICTURE.png waits for the spectrum program's window and its curve, saves
//                                 its client area and closes it
// Exit status 0 when the barogram was seen (and the window asked to close).
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "adapters/win32/GdiCanvas.h"
#include "core/config/Menus.h"
#include "support/LogBuilder.h"

namespace {

using baromon::platform::GdiMemoryBitmap;
using baromon::platform::Rgb;

// ------------------------------------------------------------------ the log

// Pressure as a slow wave with one steep fall (the red stretch), the tendencies and the
// variation not zero, so that every curve of the barogram has pixels.
std::string seededLog() {
  std::string log;
  const int records = 576; // two days of five-minute records
  for (int i = 0; i < records; ++i) {
    const int minutes = i * 5;
    const double wave = std::sin(i / 60.0);
    const int pressure = 101000 + static_cast<int>(600 * wave) - (i > 500 ? (i - 500) * 30 : 0);
    const int tendency1h = static_cast<int>(12 * std::cos(i / 60.0)) - (i > 500 ? 20 : 0);
    const int tendency3h = static_cast<int>(30 * std::cos(i / 60.0)) - (i > 500 ? 50 : 0);
    const int variation = 2 + i % 5;
    log += baromon::testlog::record(static_cast<unsigned>(i + 1), 1 + minutes / 1440, 12, 2026,
                                    (minutes / 60) % 24, minutes % 60, pressure, tendency1h, tendency3h,
                                    variation);
  }
  return log;
}

int seed(const std::string& dir) {
  const std::string log = seededLog();
  std::FILE* out = std::fopen((dir + "\\monitor.txt").c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "gui_probe: cannot write %s\\monitor.txt\n", dir.c_str());
    return 1;
  }
  const bool written = std::fwrite(log.data(), 1, log.size(), out) == log.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}

// ---------------------------------------------------------------- the picture

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

void putBigEndian(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<unsigned char>(v >> shift));
  }
}

void putChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data) {
  putBigEndian(png, static_cast<std::uint32_t>(data.size()));
  std::vector<unsigned char> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  png.insert(png.end(), typed.begin(), typed.end());
  putBigEndian(png, crc32(typed.data(), typed.size()));
}

// An RGB PNG with stored (uncompressed) deflate blocks: no library needed to read it back.
bool writePng(const GdiMemoryBitmap& picture, const std::string& path) {
  const int width = picture.size().width;
  const int height = picture.size().height;
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0); // no filter
    for (int x = 0; x < width; ++x) {
      const Rgb c = picture.pixel(x, y);
      raw.insert(raw.end(), {c.r, c.g, c.b});
    }
  }
  std::vector<unsigned char> zlib{0x78, 0x01};
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.insert(zlib.end(), {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                             static_cast<unsigned char>(~n), static_cast<unsigned char>(~n >> 8)});
    zlib.insert(zlib.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
    if (last) {
      break;
    }
  }
  putBigEndian(zlib, (b << 16) | a);
  std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  putBigEndian(header, static_cast<std::uint32_t>(width));
  putBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", {});
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    return false;
  }
  const bool written = std::fwrite(png.data(), 1, png.size(), out) == png.size();
  return std::fclose(out) == 0 && written;
}

// ---------------------------------------------------------------- the windows

struct Found {
  HWND main = nullptr;
  HWND box = nullptr;
};

BOOL CALLBACK findMain(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  char name[64] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  // The main window is the one of its class with a horizontal scroll bar (the diurnal
  // window shares the class).
  if (std::string(name) == "Fensterklasse" && (::GetWindowLongA(hwnd, GWL_STYLE) & WS_HSCROLL) != 0 &&
      ::IsWindowVisible(hwnd)) {
    found->main = hwnd;
  }
  if (std::string(name) == "#32770" && ::IsWindowVisible(hwnd)) {
    found->box = hwnd;
  }
  return TRUE;
}

Found findWindows() {
  Found found;
  ::EnumWindows(findMain, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string textOf(HWND hwnd) {
  std::string text;
  // A message box's text is its static control's.
  for (HWND child = ::GetWindow(hwnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char buffer[512] = {};
    ::GetWindowTextA(child, buffer, sizeof buffer);
    text += buffer;
    text += '|';
  }
  return text;
}

// Copies what `source` shows (a window's client area, or the screen) into a picture.
bool capture(HWND source, GdiMemoryBitmap& picture) {
  HDC dc = ::GetDC(source);
  if (dc == nullptr) {
    return false;
  }
  const BOOL copied = ::BitBlt(static_cast<HDC>(picture.dc()), 0, 0, picture.size().width,
                               picture.size().height, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(source, dc);
  return copied != FALSE;
}

struct CurvePixels {
  int plot = 0;    // the plot area's fill
  int red = 0;     // the variation curve, and the pressure curve where it falls fast
  int oneHour = 0; // blue
  int threeHour = 0;
};

CurvePixels countCurves(const GdiMemoryBitmap& picture) {
  CurvePixels n;
  for (int y = 0; y < picture.size().height; ++y) {
    for (int x = 0; x < picture.size().width; ++x) {
      const Rgb c = picture.pixel(x, y);
      n.plot += c == Rgb{245, 245, 255} ? 1 : 0;
      n.red += c == Rgb{255, 0, 0} ? 1 : 0;
      n.oneHour += c == Rgb{0, 0, 255} ? 1 : 0;
      n.threeHour += c == Rgb{0, 200, 0} ? 1 : 0;
    }
  }
  return n;
}

bool showsBarogram(const CurvePixels& n) {
  // Hundreds of pixels each: a legend sample alone has a few dozen.
  return n.plot > 10000 && n.red > 200 && n.oneHour > 200 && n.threeHour > 200;
}

// The menu command that shows the values window.
constexpr WPARAM kValuesWindowCommand = baromon::cmd::ValuesWindow;

// The main window's title carries the newest pressure once sentences arrive.
bool showsLiveReading(HWND main) {
  char title[256] = {};
  ::GetWindowTextA(main, title, sizeof title);
  return std::string(title).find(" hPa ") != std::string::npos;
}

// Polls every 100 ms until `done` or the deadline; the program under test sets the pace.
template <typename Done> bool waitUntil(Done done, DWORD deadlineMs) {
  const ULONGLONG end = ::GetTickCount64() + deadlineMs;
  while (!done()) {
    if (::GetTickCount64() > end) {
      return false;
    }
    ::Sleep(100);
  }
  return true;
}

int look(const std::string& picturePath, bool wholeScreen) {
  Found found;
  HWND main = nullptr;
  std::string boxes;
  RECT client{};
  GdiMemoryBitmap picture(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  CurvePixels n;
  const bool painted = waitUntil(
      [&] {
        found = findWindows();
        if (found.box != nullptr) {
          // A box of the monitor (the port that is not there, at start-up): answered like a
          // user, whenever it comes.
          boxes += textOf(found.box) + "\n";
          ::PostMessageA(found.box, WM_COMMAND, IDOK, 0);
          return false;
        }
        if (found.main == nullptr) {
          return false;
        }
        if (main == nullptr && wholeScreen) {
          ::PostMessageA(found.main, WM_COMMAND, kValuesWindowCommand, 0);
        }
        main = found.main;
        if (wholeScreen && !showsLiveReading(main)) {
          return false;
        }
        ::GetClientRect(main, &client);
        picture.fill(Rgb{});
        n = capture(main, picture) ? countCurves(picture) : CurvePixels{};
        return showsBarogram(n);
      },
      120000);
  if (!boxes.empty()) {
    std::printf("boxes answered: %s", boxes.c_str());
  }
  if (main == nullptr) {
    std::puts("gui_probe: no main window of class Fensterklasse appeared");
    return 1;
  }
  char title[256] = {};
  ::GetWindowTextA(main, title, sizeof title);
  std::printf("main window \"%s\", client %ldx%ld: plot %d, red %d, 1 h %d, 3 h %d pixels\n", title,
              client.right, client.bottom, n.plot, n.red, n.oneHour, n.threeHour);
  bool saved = false;
  if (wholeScreen) {
    GdiMemoryBitmap screen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    saved = capture(nullptr, screen) && writePng(screen, picturePath);
  } else {
    GdiMemoryBitmap area(client.right, client.bottom);
    saved = capture(main, area) && writePng(area, picturePath);
  }
  if (!saved) {
    std::printf("gui_probe: cannot save %s\n", picturePath.c_str());
  }
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  if (!painted) {
    std::puts("gui_probe: the main window never showed the barogram's curves");
  }
  return painted && saved ? 0 : 1;
}

// ------------------------------------------------------------ the spectrum

BOOL CALLBACK findSpectrum(HWND hwnd, LPARAM param) {
  char name[64] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  if (std::string(name) == "SpektrumFenster" && ::IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(param) = hwnd;
  }
  return TRUE;
}

// The spectrum program's window: its curve (dark blue) and the two tide marks (dark red)
// painted, the client area saved, the window closed.
int lookAtSpectrum(const std::string& picturePath) {
  HWND window = nullptr;
  RECT client{};
  int curve = 0, marks = 0;
  const bool painted = waitUntil(
      [&] {
        window = nullptr;
        ::EnumWindows(findSpectrum, reinterpret_cast<LPARAM>(&window));
        if (window == nullptr || !::GetClientRect(window, &client) || client.right < 1 || client.bottom < 1) {
          return false;
        }
        GdiMemoryBitmap area(client.right, client.bottom);
        if (!capture(window, area)) {
          return false;
        }
        curve = marks = 0;
        for (int y = 0; y < client.bottom; ++y) {
          for (int x = 0; x < client.right; ++x) {
            const Rgb c = area.pixel(x, y);
            curve += c == Rgb{0, 0, 192} ? 1 : 0;
            marks += c == Rgb{192, 0, 0} ? 1 : 0;
          }
        }
        return curve > 100 && marks > 200;
      },
      60000);
  if (window == nullptr) {
    std::puts("gui_probe: no window of class SpektrumFenster appeared");
    return 1;
  }
  char title[256] = {};
  ::GetWindowTextA(window, title, sizeof title);
  std::printf("spectrum window \"%s\", client %ldx%ld: curve %d, tide marks %d pixels\n", title, client.right,
              client.bottom, curve, marks);
  GdiMemoryBitmap area(client.right, client.bottom);
  const bool saved = capture(window, area) && writePng(area, picturePath);
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  if (!painted) {
    std::puts("gui_probe: the spectrum window never showed its curve and marks");
  }
  return painted && saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 3 ? argv[1] : "";
  if (command == "seed") {
    return seed(argv[2]);
  }
  if (command == "check" || command == "screen") {
    return look(argv[2], command == "screen");
  }
  if (command == "spectrum") {
    return lookAtSpectrum(argv[2]);
  }
  std::fputs("Usage: gui_probe seed DIR | check PICTURE.png | screen PICTURE.png | spectrum PICTURE.png\n",
             stderr);
  return 2;
}
