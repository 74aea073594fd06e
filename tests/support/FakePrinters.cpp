#include "support/FakePrinters.h"

namespace baromon::fakes {

FakePrinterJob::FakePrinterJob(platform::GraphicsObjects& objects, platform::CanvasSize page, Results results,
                               std::shared_ptr<PrinterLog> log, std::shared_ptr<RecordingCanvas>* keep)
    : canvas_(std::make_shared<RecordingCanvas>(objects, page)), results_(results), log_(std::move(log)) {
  ++log_->liveJobs;
  if (keep) {
    *keep = canvas_;
  }
}

FakePrinterJob::~FakePrinterJob() {
  --log_->liveJobs;
  log_->record("delete");
}

int FakePrinterJob::startDoc(const std::string& documentName) {
  log_->record("startDoc:" + documentName);
  return results_.startDoc;
}

int FakePrinterJob::startPage() {
  log_->record("startPage");
  return results_.startPage;
}

int FakePrinterJob::endPage() {
  log_->record("endPage");
  return results_.endPage;
}

int FakePrinterJob::endDoc() {
  log_->record("endDoc");
  return results_.endDoc;
}

void FakePrinterJob::abortDoc() { log_->record("abortDoc"); }

std::unique_ptr<platform::PrinterJob> FakePrinters::choose() {
  log->record("choose");
  if (cancel) {
    return nullptr;
  }
  auto job = std::make_unique<FakePrinterJob>(objects_, pageSize, results, log, &page);
  page->metrics = metrics;
  if (preparePage) {
    preparePage(*page);
  }
  return job;
}

} // namespace baromon::fakes
