#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Printer.h"
#include "support/RecordingCanvas.h"

namespace baromon::fakes {

// What happened to the fake printer over its jobs, shared with the test after
// the job object itself has been deleted.
struct PrinterLog {
  std::vector<std::string>
      calls; // "choose", "startDoc:<name>", "startPage", "endPage", "endDoc", "abortDoc", "delete"
  int liveJobs = 0;
  // Called with each call as it happens, e.g. to look at the program's state mid-job.
  std::function<void(const std::string&)> onCall;
  void record(const std::string& call) {
    calls.push_back(call);
    if (onCall) {
      onCall(call);
    }
  }
};

// A printer whose page is a RecordingCanvas and whose spooler calls return what
// the test scripted.
class FakePrinterJob final : public platform::PrinterJob {
public:
  struct Results {
    int startDoc = 1, startPage = 1, endPage = 1, endDoc = 1;
  };
  FakePrinterJob(platform::GraphicsObjects& objects, platform::CanvasSize page, Results results,
                 std::shared_ptr<PrinterLog> log, std::shared_ptr<RecordingCanvas>* keep);
  ~FakePrinterJob() override;

  platform::Canvas& canvas() override { return *canvas_; }
  int startDoc(const std::string& documentName) override;
  int startPage() override;
  int endPage() override;
  int endDoc() override;
  void abortDoc() override;

private:
  std::shared_ptr<RecordingCanvas> canvas_;
  Results results_;
  std::shared_ptr<PrinterLog> log_;
};

// The print dialog: `cancel` makes it return no printer. Each chosen job's page
// stays available in `page` after the job has been deleted.
class FakePrinters final : public platform::Printers {
public:
  explicit FakePrinters(platform::GraphicsObjects& objects) : objects_(objects) {}

  std::unique_ptr<platform::PrinterJob> choose() override;

  bool cancel = false;
  platform::CanvasSize pageSize{4800, 6600};
  platform::TextMetrics metrics{96, 0, 40, 40};
  FakePrinterJob::Results results;
  std::shared_ptr<PrinterLog> log = std::make_shared<PrinterLog>();
  std::shared_ptr<RecordingCanvas> page; // the last chosen job's page
  // Called with the page before the job is handed out, e.g. to make selections fail.
  std::function<void(RecordingCanvas&)> preparePage;

private:
  platform::GraphicsObjects& objects_;
};

} // namespace baromon::fakes
