#pragma once

#include <memory>
#include <string>

#include "platform/Canvas.h"

namespace baromon::platform {

// A printer chosen for one job: its device context, with the document and page
// calls of the print spooler. The page surface measures the printable area in
// device pixels (its size() is HORZRES x VERTRES). Destroying the job deletes the
// context and releases everything the print dialog allocated for it.
class PrinterJob {
public:
  virtual ~PrinterJob() = default;
  virtual Canvas& canvas() = 0;
  // The spooler's results: greater than 0 on success, 0 or less on failure.
  virtual int startDoc(const std::string& documentName) = 0;
  virtual int startPage() = 0;
  virtual int endPage() = 0;
  virtual int endDoc() = 0;
  // Discards a started document that cannot be ended properly.
  virtual void abortDoc() = 0;
};

// The system's printer choice.
class Printers {
public:
  virtual ~Printers() = default;
  // Runs the modal print dialog; nullptr when the user cancels or the dialog fails.
  virtual std::unique_ptr<PrinterJob> choose() = 0;
};

} // namespace baromon::platform
