#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>

#include "adapters/win32/Win32FileSystem.h"
#include "adapters/win32/Win32FrontEnd.h"
#include "core/state/AppContext.h"
#include "core/program/Startup.h"
#include "core/program/WindowProcedure.h"
#include "core/config/Menus.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPorts.h"
#include "support/LogBuilder.h"
#include "support/TempDir.h"

namespace baromon {
namespace {

using platform::WindowId;

// A monitor on the Win32 windows, with real files in a private directory and COM2 present
// (an absent port would stop start-up in its box).
struct Win32App {
  explicit Win32App(const std::string& log = {}) {
    if (!log.empty()) {
      dir.write("monitor.txt", log);
    }
    ports.add("COM2");
    windows.attach(app);
  }
  ~Win32App() {
    // A quit request of one test must not end the next test's loop.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  Win32App(const Win32App&) = delete;
  Win32App& operator=(const Win32App&) = delete;

  HWND main() const { return windows.handle(WindowId::Main); }
  UINT menuState(int commandId) const {
    return ::GetMenuState(windows.menuBar(), static_cast<UINT>(commandId), MF_BYCOMMAND);
  }
  bool checked(int commandId) const { return (menuState(commandId) & MF_CHECKED) != 0; }
  bool greyed(int commandId) const { return (menuState(commandId) & MF_GRAYED) != 0; }
  void command(HWND to, WPARAM wParam) { ::SendMessageA(to, WM_COMMAND, wParam, 0); }
  void scroll(WPARAM wParam) { ::SendMessageA(main(), WM_HSCROLL, wParam, 0); }
  std::string className(HWND hwnd) const {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
  }

  fakes::TempDir dir;
  platform::Win32FileSystem files{dir.path()};
  fakes::FakeClock clock;
  fakes::FakeSerialPorts ports;
  platform::GraphicsObjects graphics;
  platform::Win32Windows windows;
  AppContext app{Platform{clock, files, windows, ports, graphics}};
};

TEST(Win32FrontEnd, StartUpMakesTheMaximisedMainWindowWithItsScrollBarAndMenuBar) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  ASSERT_NE(w.main(), nullptr);
  EXPECT_EQ(w.className(w.main()), "Fensterklasse");
  EXPECT_TRUE(::IsZoomed(w.main()));
  EXPECT_NE(::GetWindowLongA(w.main(), GWL_STYLE) & WS_HSCROLL, 0);
  int low = -1, high = -1;
  ::GetScrollRange(w.main(), SB_HORZ, &low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);
  EXPECT_EQ(::GetScrollPos(w.main(), SB_HORZ), 100);
  // The values window exists in the grey class, hidden while its option is off.
  HWND values = w.windows.handle(WindowId::Values);
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(w.className(values), "Fensterklasse2");
  EXPECT_FALSE(::IsWindowVisible(values));
  ASSERT_EQ(::GetMenu(w.main()), w.windows.menuBar());
  EXPECT_EQ(::GetMenuItemCount(w.windows.menuBar()), 5);
  char title[64] = {};
  ::GetMenuStringA(w.windows.menuBar(), 4, title, sizeof title, MF_BYPOSITION);
  EXPECT_STREQ(title, "&Hilfe");
  EXPECT_EQ(shutDown(w.app, 0), 0);
}

TEST(Win32FrontEnd, OnlyTimer275OfTheMainWindowTicks) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  ASSERT_EQ(w.app.acquisition.ticksSinceSentence, 1000u);
  ::SendMessageA(w.main(), WM_TIMER, 276, 0);
  ::SendMessageA(w.windows.handle(WindowId::Values), WM_TIMER, platform::kTimerId, 0);
  EXPECT_EQ(w.app.acquisition.ticksSinceSentence, 1000u);
  ::SendMessageA(w.main(), WM_TIMER, platform::kTimerId, 0);
  EXPECT_EQ(w.app.acquisition.ticksSinceSentence, 100u); // the first tick caps the count
}

TEST(Win32FrontEnd, MenuCommandsReachTheCoreAndTheMarksFollow) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  // The defaults: 1-hour tendency on, 5-minute step, COM2; COM1 is not there.
  EXPECT_TRUE(w.checked(cmd::ToggleT1));
  EXPECT_TRUE(w.checked(cmd::Step5));
  EXPECT_TRUE(w.checked(cmd::Com2));
  EXPECT_FALSE(w.greyed(cmd::Com2));
  EXPECT_TRUE(w.greyed(cmd::Com1));
  EXPECT_TRUE(w.greyed(cmd::LangDutch));
  EXPECT_FALSE(w.greyed(cmd::LangEnglish));

  w.command(w.main(), cmd::ToggleT1);
  EXPECT_EQ(w.app.settings.drawTendency1h, 0);
  EXPECT_FALSE(w.checked(cmd::ToggleT1));

  w.command(w.main(), cmd::Step15);
  EXPECT_EQ(w.app.settings.displayStep, 900u);
  EXPECT_TRUE(w.checked(cmd::Step15));
  EXPECT_FALSE(w.checked(cmd::Step5));

  // A notification code in the high word (an accelerator's, a control's) is no command.
  w.command(w.main(), MAKEWPARAM(cmd::ToggleT1, 1));
  EXPECT_EQ(w.app.settings.drawTendency1h, 0);
}

TEST(Win32FrontEnd, AnotherLanguageReplacesTheBarAndKeepsMarksAndGreyPorts) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.command(w.main(), cmd::ToggleSig);
  HMENU before = w.windows.menuBar();

  w.command(w.main(), cmd::LangEnglish);
  HMENU after = w.windows.menuBar();
  ASSERT_NE(after, before);
  EXPECT_FALSE(::IsMenu(before));
  EXPECT_EQ(::GetMenu(w.main()), after);
  char title[64] = {};
  ::GetMenuStringA(after, 0, title, sizeof title, MF_BYPOSITION);
  EXPECT_STREQ(title, "&File");
  EXPECT_TRUE(w.checked(cmd::ToggleSig));
  EXPECT_TRUE(w.checked(cmd::LangEnglish));
  EXPECT_FALSE(w.checked(cmd::LangGerman));
  EXPECT_TRUE(w.greyed(cmd::Com1));
  EXPECT_FALSE(w.greyed(cmd::Com2));
}

TEST(Win32FrontEnd, ScrollArrowsAndPagesMoveTheOffsetAndTheThumbADragDoesNot) {
  Win32App w(testlog::gridLog(1000));
  ASSERT_EQ(startUp(w.app), 0);
  ASSERT_EQ(w.app.view.recordCount, 1000);

  w.scroll(SB_LINELEFT);
  EXPECT_EQ(w.app.view.scrollOffset, 73);
  EXPECT_EQ(::GetScrollPos(w.main(), SB_HORZ), 93);

  // A drag carries its position in the high word: the offset and the thumb stay.
  w.scroll(MAKEWPARAM(SB_THUMBTRACK, 20));
  w.scroll(MAKEWPARAM(SB_THUMBPOSITION, 20));
  EXPECT_EQ(w.app.view.scrollOffset, 73);
  EXPECT_EQ(::GetScrollPos(w.main(), SB_HORZ), 93);

  w.scroll(SB_PAGELEFT);
  EXPECT_EQ(w.app.view.scrollOffset, 361);
  EXPECT_EQ(::GetScrollPos(w.main(), SB_HORZ), 64);

  w.scroll(SB_PAGERIGHT);
  w.scroll(SB_LINERIGHT);
  EXPECT_EQ(w.app.view.scrollOffset, 1);
  EXPECT_EQ(::GetScrollPos(w.main(), SB_HORZ), 100);
}

TEST(Win32FrontEnd, CorrectionPopupTakesTheEntryThroughItsOkButton) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.app.settings.heightCorrection = -250;
  w.command(w.main(), cmd::Correction);
  HWND popup = w.windows.handle(WindowId::Correction);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(w.className(popup), "Fensterklasse2");
  const LONG style = ::GetWindowLongA(popup, GWL_STYLE);
  EXPECT_NE(style & WS_POPUP, 0);
  EXPECT_EQ(style & WS_CAPTION, WS_BORDER); // a border, no caption bar
  RECT r{};
  ::GetWindowRect(popup, &r);
  const auto screen = w.windows.screenSize();
  EXPECT_EQ(r.left, screen.width / 2 - 140);
  EXPECT_EQ(r.top, screen.height / 2 - 70);
  EXPECT_EQ(r.right - r.left, 280);

  HWND edit = w.windows.editField(WindowId::Correction);
  HWND ok = w.windows.button(WindowId::Correction);
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(::GetParent(edit), popup);
  char text[32] = {};
  ::GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "-2.50");
  EXPECT_EQ(::SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 20);

  ::SetWindowTextA(edit, "1,25");
  ::SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_EQ(w.app.settings.heightCorrection, 125);
  EXPECT_FALSE(::IsWindow(popup));
  EXPECT_FALSE(w.windows.windowExists(WindowId::Correction));
}

// Keys on the popup's edit field as the keyboard delivers them, then the posted messages
// they cause handled as the main loop would.
struct PopupKeys {
  HWND edit;
  void down(WPARAM key) const { ::SendMessageA(edit, WM_KEYDOWN, key, 1); }
  void type(const std::string& chars) const {
    for (char c : chars) {
      ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
  }
  static void pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  std::string text() const {
    char buffer[32] = {};
    ::GetWindowTextA(edit, buffer, sizeof buffer);
    return buffer;
  }
  std::pair<DWORD, DWORD> selection() const {
    DWORD from = 0, to = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {from, to};
  }
};

// Typing over the old value replaces it: "2" over "-2.50" was "2-2.50", 20 hPa off unseen.
TEST(Win32FrontEnd, CorrectionPopupOpensWithItsTextSelectedAndEnterTakesTheEntry) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.app.settings.heightCorrection = -250;
  w.command(w.main(), cmd::Correction);
  HWND popup = w.windows.handle(WindowId::Correction);
  const PopupKeys keys{w.windows.editField(WindowId::Correction)};
  ASSERT_NE(keys.edit, nullptr);
  EXPECT_EQ(keys.selection(), (std::pair<DWORD, DWORD>{0, 5}));
  keys.type("2");
  EXPECT_EQ(keys.text(), "2");
  keys.down(VK_RETURN);
  keys.type("\r");
  PopupKeys::pump();
  EXPECT_EQ(w.app.settings.heightCorrection, 200);
  EXPECT_FALSE(::IsWindow(popup));
}

TEST(Win32FrontEnd, EscapeClosesTheCorrectionPopupAndKeepsTheCorrection) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.app.settings.heightCorrection = 125;
  w.command(w.main(), cmd::Correction);
  HWND popup = w.windows.handle(WindowId::Correction);
  const PopupKeys keys{w.windows.editField(WindowId::Correction)};
  ASSERT_NE(keys.edit, nullptr);
  keys.type("7");
  keys.down(VK_ESCAPE);
  keys.type("\x1b");
  PopupKeys::pump();
  EXPECT_FALSE(::IsWindow(popup));
  EXPECT_FALSE(w.windows.windowExists(WindowId::Correction));
  EXPECT_EQ(w.app.settings.heightCorrection, 125);
  // Opened again, it shows the kept value.
  w.command(w.main(), cmd::Correction);
  const PopupKeys again{w.windows.editField(WindowId::Correction)};
  EXPECT_EQ(again.text(), "1.25");
}

TEST(Win32FrontEnd, CtrlASelectsTheWholeCorrectionEntry) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.command(w.main(), cmd::Correction);
  const PopupKeys keys{w.windows.editField(WindowId::Correction)};
  ASSERT_NE(keys.edit, nullptr);
  ::SendMessageA(keys.edit, EM_SETSEL, 2, 2);
  keys.down('A');
  keys.type("\x01"); // what Ctrl+A types
  EXPECT_EQ(keys.text(), "0.00") << "no control character in the entry";
  EXPECT_EQ(keys.selection(), (std::pair<DWORD, DWORD>{0, 4}));
  keys.type("3,5");
  keys.down(VK_RETURN);
  PopupKeys::pump();
  EXPECT_EQ(w.app.settings.heightCorrection, 350);
}

TEST(Win32FrontEnd, ClosingAChildWindowKeepsItsOptionClosingTheMainWindowEndsTheLoop) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.command(w.main(), cmd::ValuesWindow);
  HWND values = w.windows.handle(WindowId::Values);
  ASSERT_TRUE(::IsWindowVisible(values));
  ::SendMessageA(values, WM_CLOSE, 0, 0);
  EXPECT_FALSE(w.windows.windowExists(WindowId::Values));
  EXPECT_EQ(w.app.settings.valuesWindow, 1);
  EXPECT_FALSE(w.windows.quitRequested());

  ::SendMessageA(w.main(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(w.windows.quitRequested());
  EXPECT_EQ(w.windows.exec(), 0);
  EXPECT_EQ(shutDown(w.app, 0), 0);
}

TEST(Win32FrontEnd, TheProgramsOwnDestroyingOfTheMainWindowIsNoQuit) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  w.windows.destroyWindow(WindowId::Main);
  EXPECT_FALSE(w.windows.quitRequested());
  EXPECT_EQ(w.windows.menuBar(), nullptr);
  MSG msg;
  EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(Win32FrontEnd, ExitFromTheMenuEndsTheLoopWithZero) {
  Win32App w;
  ASSERT_EQ(startUp(w.app), 0);
  ::PostMessageA(w.main(), WM_COMMAND, cmd::Exit, 0);
  EXPECT_EQ(w.windows.exec(), 0);
  EXPECT_TRUE(w.windows.quitRequested());
}

TEST(Win32FrontEnd, AnEndingSessionRunsTheShutdownOnceBeforeTheSystemEndsTheProcess) {
  Win32App w;
  int shutdowns = 0;
  w.windows.onSessionEnd = [&] {
    ++shutdowns;
    shutDown(w.app, 0);
  };
  ASSERT_EQ(startUp(w.app), 0);
  w.app.settings.drawTendency1h = 0;
  // A log-off that another program cancelled ends nothing.
  ::SendMessageA(w.main(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(shutdowns, 0);
  ::SendMessageA(w.main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  ::SendMessageA(w.main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(shutdowns, 1);
  EXPECT_TRUE(w.windows.quitRequested());
  // The system ends the process once the message returns: the settings are written by then.
  EXPECT_EQ(w.dir.read("monitor.ini").size(), 125u);
  EXPECT_NE(w.dir.read("monitor.ini").find("T1=0"), std::string::npos);
}

} // namespace
} // namespace baromon
