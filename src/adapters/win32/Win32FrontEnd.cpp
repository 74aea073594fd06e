#include "adapters/win32/Win32FrontEnd.h"

#include <shellapi.h>

#include <climits>
#include <vector>

#include "adapters/win32/GdiCanvas.h"
#include "core/state/AppContext.h"
#include "core/program/WindowProcedure.h"

namespace baromon::platform {

namespace {

// One procedure for every window of both classes; the front end that made a window
// rides along in its user data (set from the creation parameter).
LRESULT CALLBACK programWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Win32Windows*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (owner == nullptr) {
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return owner->handleMessage(hwnd, message, wParam, lParam);
}

// The edit field's own procedure, kept in a property of the field while it is subclassed.
constexpr const char* kEditProcedure = "baromon.edit";

// The correction entry answers the keys of a dialog: Enter presses the button beside it,
// Escape closes its popup unchanged, Ctrl+A selects the whole entry. Enter and Escape
// act through posted messages, so the field is not destroyed inside its own procedure.
LRESULT CALLBACK entryProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(::GetPropA(edit, kEditProcedure));
  if (original == nullptr) {
    return ::DefWindowProcA(edit, message, wParam, lParam);
  }
  HWND popup = ::GetParent(edit);
  switch (message) {
  case WM_KEYDOWN:
    if (wParam == VK_RETURN) {
      if (HWND button = ::FindWindowExA(popup, nullptr, "button", nullptr)) {
        ::PostMessageA(button, BM_CLICK, 0, 0);
      }
      return 0;
    }
    if (wParam == VK_ESCAPE) {
      ::PostMessageA(popup, WM_CLOSE, 0, 0);
      return 0;
    }
    break;
  case WM_CHAR:
    if (wParam == 0x01) { // Ctrl+A
      ::SendMessageA(edit, EM_SETSEL, 0, -1);
      return 0;
    }
    if (wParam == '\r' || wParam == 0x1B) {
      return 0; // handled at the key itself; the field would only beep
    }
    break;
  case WM_NCDESTROY:
    ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    ::RemovePropA(edit, kEditProcedure);
    break;
  default:
    break;
  }
  return ::CallWindowProcA(original, edit, message, wParam, lParam);
}

UINT boxStyle(BoxIcon icon) {
  switch (icon) {
  case BoxIcon::Error:
    return MB_ICONERROR;
  case BoxIcon::Information:
    return MB_ICONINFORMATION;
  case BoxIcon::Warning:
    return MB_ICONWARNING;
  case BoxIcon::None:
    break;
  }
  return MB_OK;
}

DWORD styleOf(WindowStyle style) {
  switch (style) {
  case WindowStyle::Overlapped:
    return WS_OVERLAPPEDWINDOW;
  case WindowStyle::OverlappedWithScrollBar:
    return WS_OVERLAPPEDWINDOW | WS_HSCROLL;
  case WindowStyle::Popup:
    return WS_POPUP | WS_BORDER;
  }
  return WS_OVERLAPPEDWINDOW;
}

int showCommand(ShowMode mode) {
  switch (mode) {
  case ShowMode::Show:
    return SW_SHOW;
  case ShowMode::Hide:
    return SW_HIDE;
  case ShowMode::ShowNormal:
    return SW_SHOWNORMAL;
  case ShowMode::ShowMaximized:
    return SW_SHOWMAXIMIZED;
  }
  return SW_SHOW;
}

HMENU makeMenuBar(const MenuBar& bar) {
  HMENU made = ::CreateMenu();
  if (made == nullptr) {
    return nullptr;
  }
  for (const MenuPopup& popup : bar.popups) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) {
      continue;
    }
    for (const MenuItem& item : popup.items) {
      if (item.separator) {
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      const UINT flags =
          MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED) | (item.enabled ? MF_ENABLED : MF_GRAYED);
      ::AppendMenuA(menu, flags, static_cast<UINT_PTR>(item.id), item.text.c_str());
    }
    ::AppendMenuA(made, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), popup.title.c_str());
  }
  return made;
}

} // namespace

Win32Windows::Win32Windows() : instance_(::GetModuleHandleA(nullptr)) {}

Win32Windows::~Win32Windows() {
  stopTimer();
  for (WindowId id :
       {WindowId::Correction, WindowId::Diurnal, WindowId::Converter, WindowId::Values, WindowId::Main}) {
    destroyWindow(id);
  }
  if (bar_ != nullptr) {
    ::DestroyMenu(bar_);
  }
  unregisterClasses();
}

void Win32Windows::unregisterClasses() {
  if (classesRegistered_) {
    ::UnregisterClassA(kWhiteWindowClass, instance_);
    ::UnregisterClassA(kGreyWindowClass, instance_);
    classesRegistered_ = false;
  }
  if (icon_ != nullptr) {
    ::DestroyIcon(icon_);
    icon_ = nullptr;
  }
}

int Win32Windows::exec() {
  MSG msg{};
  // -1 (an invalid call, which this loop never makes) counts as a message, as 0 ends.
  while (!quit_ && ::GetMessageA(&msg, nullptr, 0, 0) != 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return quit_ ? quitCode_ : static_cast<int>(msg.wParam);
}

// ------------------------------------------------------------------ Boxes

void Win32Windows::showBox(HWND owner, const std::string& text, const std::string& caption, BoxIcon icon) {
  // The box's own loop dispatches the timer's ticks to the window procedure meanwhile.
  ::MessageBoxA(owner, text.c_str(), caption.c_str(), boxStyle(icon));
}

void Win32Windows::messageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
  HWND main = handle(WindowId::Main);
  showBox(main != nullptr && ::IsWindow(main) ? main : nullptr, text, caption, icon);
}

void Win32Windows::ownerlessMessageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
  showBox(nullptr, text, caption, icon);
}

void Win32Windows::beep(BeepKind kind) {
  ::MessageBeep(kind == BeepKind::Exclamation ? MB_ICONEXCLAMATION : MB_OK);
}

// ---------------------------------------------------------------- Windows

ScreenSize Win32Windows::screenSize() {
  return {::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN)};
}

bool Win32Windows::registerWindowClasses() {
  unregisterClasses();
  icon_ = ::LoadIconA(instance_, kIconResource);
  WNDCLASSA white{};
  white.style = CS_HREDRAW | CS_VREDRAW;
  white.lpfnWndProc = programWindowProcedure;
  white.hInstance = instance_;
  // A program built without the resource (a test) shows the system's application icon.
  white.hIcon = icon_ != nullptr ? icon_ : ::LoadIconA(nullptr, IDI_APPLICATION);
  white.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  white.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  white.lpszClassName = kWhiteWindowClass;
  WNDCLASSA grey = white;
  grey.hbrBackground = static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH));
  grey.lpszClassName = kGreyWindowClass;
  if (::RegisterClassA(&white) == 0) {
    return false;
  }
  if (::RegisterClassA(&grey) == 0) {
    ::UnregisterClassA(kWhiteWindowClass, instance_);
    return false;
  }
  classesRegistered_ = true;
  return true;
}

bool Win32Windows::createWindow(WindowId window, const WindowSpec& wanted) {
  destroyWindow(window);
  const char* className = wanted.windowClass == WindowClass::LightGrey ? kGreyWindowClass : kWhiteWindowClass;
  HWND made = ::CreateWindowExA(0, className, wanted.title.c_str(), styleOf(wanted.style), wanted.x, wanted.y,
                                wanted.width, wanted.height, nullptr, nullptr, instance_, this);
  windows_[index(window)] = made;
  return made != nullptr;
}

void Win32Windows::showWindow(WindowId window, ShowMode mode) {
  if (HWND h = handle(window)) {
    ::ShowWindow(h, showCommand(mode));
  }
}

void Win32Windows::updateWindow(WindowId window) {
  if (HWND h = handle(window)) {
    ::UpdateWindow(h);
  }
}

void Win32Windows::forget(WindowId window) {
  windows_[index(window)] = nullptr;
  controls_[index(window)] = Controls{};
  if (window == WindowId::Main) {
    bar_ = nullptr; // a window's menu goes with it
  }
}

void Win32Windows::destroyWindow(WindowId window) {
  HWND h = handle(window);
  // Forgotten first: the WM_DESTROY that follows is the program's own doing, not the user's.
  forget(window);
  if (h != nullptr) {
    ::DestroyWindow(h); // and its controls with it
  }
}

bool Win32Windows::windowExists(WindowId window) {
  HWND h = handle(window);
  return h != nullptr && ::IsWindow(h);
}

void Win32Windows::raiseWindow(WindowId window) {
  if (HWND h = handle(window)) {
    ::ShowWindow(h, SW_SHOW);
    ::SetForegroundWindow(h);
  }
}

ScreenSize Win32Windows::windowOuterSize(WindowId window) {
  RECT r{};
  HWND h = handle(window);
  if (h == nullptr || !::GetWindowRect(h, &r)) {
    return {};
  }
  return {r.right - r.left, r.bottom - r.top};
}

void Win32Windows::setTitle(WindowId window, const std::string& title) {
  if (HWND h = handle(window)) {
    ::SetWindowTextA(h, title.c_str());
  }
}

void Win32Windows::invalidate(WindowId window) {
  if (HWND h = handle(window)) {
    ::InvalidateRect(h, nullptr, TRUE);
  }
}

bool Win32Windows::createEditField(WindowId parent, const ControlRect& rect, std::size_t maxChars) {
  HWND owner = handle(parent);
  if (owner == nullptr) {
    return false;
  }
  HWND& edit = controls_[index(parent)].edit;
  if (edit != nullptr) {
    ::DestroyWindow(edit);
  }
  // Identifier 0: its notifications never look like a command.
  edit = ::CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect.x, rect.y,
                           rect.width, rect.height, owner, nullptr, instance_, nullptr);
  if (edit == nullptr) {
    return false;
  }
  ::SendMessageA(edit, EM_LIMITTEXT, maxChars, 0);
  ::SetPropA(edit, kEditProcedure, reinterpret_cast<HANDLE>(::GetWindowLongPtrA(edit, GWLP_WNDPROC)));
  ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&entryProcedure));
  ::SetFocus(edit);
  return true;
}

bool Win32Windows::createButton(WindowId parent, const ControlRect& rect, const std::string& text,
                                int commandId) {
  HWND owner = handle(parent);
  if (owner == nullptr) {
    return false;
  }
  HWND& button = controls_[index(parent)].button;
  if (button != nullptr) {
    ::DestroyWindow(button);
  }
  // A click reaches the window procedure as WM_COMMAND with the identifier as its wParam.
  button = ::CreateWindowExA(0, "button", text.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, rect.x, rect.y,
                             rect.width, rect.height, owner,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(commandId)), instance_, nullptr);
  return button != nullptr;
}

void Win32Windows::setEditText(WindowId parent, const std::string& text) {
  if (HWND edit = editField(parent)) {
    ::SetWindowTextA(edit, text.c_str());
    // Selected whole, so that what the user types replaces the old value.
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
  }
}

std::string Win32Windows::editText(WindowId parent, std::size_t maxChars) {
  HWND edit = editField(parent);
  if (edit == nullptr || maxChars == 0 || maxChars >= INT_MAX) {
    return {};
  }
  std::vector<char> buffer(maxChars + 1, '\0');
  const int n = ::GetWindowTextA(edit, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

// ------------------------------------------------------------------ Menus

void Win32Windows::setMenuBar(const MenuBar& bar) {
  HWND main = handle(WindowId::Main);
  if (main == nullptr) {
    return;
  }
  HMENU made = makeMenuBar(bar);
  if (made == nullptr) {
    return;
  }
  HMENU old = bar_;
  ::SetMenu(main, made);
  bar_ = made;
  if (old != nullptr) {
    ::DestroyMenu(old); // with its popups
  }
  ::DrawMenuBar(main);
}

void Win32Windows::checkMenuItem(int commandId, bool checked) {
  if (bar_ != nullptr) {
    ::CheckMenuItem(bar_, static_cast<UINT>(commandId), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void Win32Windows::enableMenuItem(int commandId, bool enabled) {
  if (bar_ != nullptr) {
    ::EnableMenuItem(bar_, static_cast<UINT>(commandId), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

// --------------------------------------------------------------- MainLoop

void Win32Windows::startTimer(int periodMs) {
  if (HWND main = handle(WindowId::Main)) {
    ::SetTimer(main, kTimerId, static_cast<UINT>(periodMs), nullptr);
  }
}

void Win32Windows::stopTimer() {
  if (HWND main = handle(WindowId::Main)) {
    ::KillTimer(main, kTimerId);
  }
}

void Win32Windows::postQuit(int exitCode) {
  if (!quit_) {
    quit_ = true;
    quitCode_ = exitCode;
  }
  ::PostQuitMessage(exitCode);
}

void Win32Windows::setScrollPosition(int position) {
  scrollPosition_ = position;
  if (HWND main = handle(WindowId::Main)) {
    ::SetScrollPos(main, SB_HORZ, position, TRUE);
  }
}

// --------------------------------------------------------------- Programs

bool Win32Windows::startProgram(const std::string& program) {
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(handle(WindowId::Main), "open", program.c_str(), nullptr, nullptr, SW_SHOW));
  return result > 32;
}

// ------------------------------------------------------- window procedure

bool Win32Windows::windowOf(HWND hwnd, WindowId& window) const {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i] == hwnd && hwnd != nullptr) {
      window = static_cast<WindowId>(i);
      return true;
    }
  }
  return false;
}

void Win32Windows::paint(HWND hwnd, WindowId window) {
  PAINTSTRUCT ps{};
  HDC dc = ::BeginPaint(hwnd, &ps);
  if (dc != nullptr && app_ != nullptr) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    GdiCanvas canvas(app_->platform.graphics, dc, CanvasSize{client.right, client.bottom});
    paintWindow(*app_, window, canvas);
  }
  ::EndPaint(hwnd, &ps);
}

LRESULT Win32Windows::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowId window = WindowId::Main;
  if (app_ == nullptr || !windowOf(hwnd, window)) {
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  switch (message) {
  case WM_PAINT:
    paint(hwnd, window);
    return 0;
  case WM_TIMER:
    if (window == WindowId::Main && wParam == kTimerId) {
      onTimer(*app_);
    }
    break;
  case WM_HSCROLL:
    // The whole wParam is the code: a thumb position in its high word is no arrow or page.
    // lParam is zero for the window's own scroll bar.
    if (window == WindowId::Main && lParam == 0 && wParam <= static_cast<WPARAM>(INT_MAX)) {
      onHorizontalScroll(*app_, static_cast<int>(wParam));
    }
    break;
  case WM_COMMAND:
    // The whole wParam is the command: a menu item's, or a button's click (notification
    // code 0). Other notifications carry a code in the high word and match no command.
    if (wParam <= static_cast<WPARAM>(INT_MAX)) {
      onCommand(*app_, window, static_cast<int>(wParam));
    }
    break;
  case WM_ENDSESSION:
    if (window == WindowId::Main && wParam != FALSE && !sessionEnded_) {
      sessionEnded_ = true;
      if (onSessionEnd) {
        onSessionEnd();
      }
      postQuit(0);
      return 0;
    }
    break;
  case WM_DESTROY:
    // Closed by the user: the program forgets the window; its option stays as it is.
    forget(window);
    if (window == WindowId::Main) {
      onMainWindowDestroyed(*app_);
    }
    break;
  default:
    break;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace baromon::platform
