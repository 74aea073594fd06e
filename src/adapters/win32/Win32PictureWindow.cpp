#include "adapters/win32/Win32PictureWindow.h"

#include <windows.h>

#include "adapters/win32/GdiCanvas.h"
#include "adapters/win32/GdiPictureFile.h"

namespace baromon::platform {

namespace {

constexpr const char* kClassName = "SpektrumFenster";

struct WindowData {
  GraphicsObjects* objects;
  const std::function<void(Canvas&)>* paint;
};

void paintClient(HWND hwnd, const WindowData& data) {
  PAINTSTRUCT ps{};
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT client{};
  ::GetClientRect(hwnd, &client);
  // Drawn into a bitmap first, so that a resize does not flicker through white.
  HDC memory = ::CreateCompatibleDC(dc);
  HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::FillRect(memory, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    {
      GdiCanvas canvas(*data.objects, memory, CanvasSize{client.right, client.bottom});
      (*data.paint)(canvas);
    }
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
  }
  if (bitmap != nullptr) {
    ::DeleteObject(bitmap);
  }
  if (memory != nullptr) {
    ::DeleteDC(memory);
  }
  ::EndPaint(hwnd, &ps);
}

LRESULT CALLBACK pictureWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* data = reinterpret_cast<WindowData*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
  case WM_NCCREATE: {
    const auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    break;
  }
  case WM_PAINT:
    if (data != nullptr) {
      paintClient(hwnd, *data);
      return 0;
    }
    break;
  case WM_ERASEBKGND:
    return 1;
  case WM_SIZE:
    ::InvalidateRect(hwnd, nullptr, FALSE);
    return 0;
  case WM_DESTROY:
    ::PostQuitMessage(0);
    return 0;
  default:
    break;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int runPictureWindow(GraphicsObjects& objects, const std::string& title, int width, int height,
                     const std::function<void(Canvas&)>& paint, const std::string& grabTo) {
  if (!grabTo.empty()) {
    return renderToFile(objects, grabTo, width, height, paint).empty() ? 0 : 1;
  }
  // A console program, so that its lines reach a shell; started from the monitor's menu
  // it got a console of its own, which the window gives back.
  DWORD processes[2];
  if (::GetConsoleProcessList(processes, 2) == 1) {
    ::FreeConsole();
  }
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = pictureWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  HICON icon = ::LoadIconA(instance, "MYICON");
  windowClass.hIcon = icon != nullptr ? icon : ::LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.lpszClassName = kClassName;
  if (::RegisterClassA(&windowClass) == 0) {
    return 1;
  }
  // The outer size for the client area asked for.
  RECT outer{0, 0, width, height};
  ::AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
  WindowData data{&objects, &paint};
  HWND hwnd =
      ::CreateWindowA(kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, &data);
  if (hwnd == nullptr) {
    return 1;
  }
  ::ShowWindow(hwnd, SW_SHOW);
  ::UpdateWindow(hwnd);
  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}

void showErrorBox(const std::string& text, const std::string& caption) {
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
}

} // namespace baromon::platform
