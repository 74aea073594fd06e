#include "adapters/win32/Win32Printers.h"

#include <windows.h>

#include <commdlg.h>

namespace baromon::platform {

namespace {

HDC hdc(void* dc) { return static_cast<HDC>(dc); }

// The program's fonts are made in screen pixels; a page is drawn as if the
// screen had this resolution (the Qt printer does the same).
constexpr double kScreenDpi = 100.0;

std::string deviceOf(void* devNames) {
  if (devNames == nullptr) {
    return {};
  }
  std::string name;
  if (const auto* names = static_cast<const DEVNAMES*>(::GlobalLock(static_cast<HGLOBAL>(devNames)))) {
    name = reinterpret_cast<const char*>(names) + names->wDeviceOffset;
    ::GlobalUnlock(static_cast<HGLOBAL>(devNames));
  }
  return name;
}

} // namespace

Win32PrinterJob::Win32PrinterJob(GraphicsObjects& objects, void* dc, void* devMode, void* devNames)
    : dc_(dc), devMode_(devMode), devNames_(devNames), deviceName_(deviceOf(devNames)) {
  const CanvasSize page{::GetDeviceCaps(hdc(dc_), HORZRES), ::GetDeviceCaps(hdc(dc_), VERTRES)};
  const int dpi = ::GetDeviceCaps(hdc(dc_), LOGPIXELSY);
  canvas_ = std::make_unique<GdiCanvas>(objects, dc_, page, dpi > 0 ? dpi / kScreenDpi : 1.0);
}

Win32PrinterJob::~Win32PrinterJob() {
  canvas_.reset(); // gives the context its own objects back before it goes
  abortDoc();
  ::DeleteDC(hdc(dc_));
  for (void* memory : {devMode_, devNames_}) {
    if (memory != nullptr) {
      ::GlobalFree(static_cast<HGLOBAL>(memory));
    }
  }
}

int Win32PrinterJob::startDoc(const std::string& documentName) {
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = documentName.c_str();
  const int result = ::StartDocA(hdc(dc_), &info);
  documentOpen_ = result > 0;
  return result;
}

int Win32PrinterJob::startPage() { return ::StartPage(hdc(dc_)); }

int Win32PrinterJob::endPage() { return ::EndPage(hdc(dc_)); }

int Win32PrinterJob::endDoc() {
  const int result = ::EndDoc(hdc(dc_));
  if (result > 0) {
    documentOpen_ = false;
  }
  return result;
}

void Win32PrinterJob::abortDoc() {
  if (documentOpen_) {
    ::AbortDoc(hdc(dc_));
    documentOpen_ = false;
  }
}

std::unique_ptr<PrinterJob> Win32Printers::choose() {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(owner_);
  dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS;
  if (choice_ == PrinterChoice::DefaultPrinter) {
    dialog.Flags |= PD_RETURNDEFAULT;
  }
  lastDevice_.clear();
  const bool chosen = ::PrintDlgA(&dialog) != FALSE;
  lastError_ = chosen ? 0 : ::CommDlgExtendedError();
  if (!chosen || dialog.hDC == nullptr) {
    if (dialog.hDC != nullptr) {
      ::DeleteDC(dialog.hDC);
    }
    for (HGLOBAL memory : {dialog.hDevMode, dialog.hDevNames}) {
      if (memory != nullptr) {
        ::GlobalFree(memory);
      }
    }
    return nullptr;
  }
  auto job = std::make_unique<Win32PrinterJob>(objects_, dialog.hDC, dialog.hDevMode, dialog.hDevNames);
  lastDevice_ = job->deviceName();
  return job;
}

} // namespace baromon::platform
