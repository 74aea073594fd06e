#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "assembly/CommandPlatform.h"
#include "core/state/AppContext.h"
#include "core/config/Settings.h"
#include "core/store/Store.h"

namespace baromon::cli {

int runCheck(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (argc > 0) {
    std::fprintf(err, "baromon: check takes no arguments ('%s')\n", argv[0]);
    return 2;
  }
  assembly::CommandPlatform command(out);
  AppContext app{command.services()};
  // The user's options decide whether events reach monitor.err; without a
  // settings file the start values hold and nothing is written on its behalf.
  if (std::filesystem::exists(command.files.pathOf("monitor.ini"))) {
    loadSettings(app);
  }
  const LogCheckOutcome outcome = runLogCheck(app);
  std::fflush(out);
  switch (outcome.status) {
  case LogCheckOutcome::Status::Repaired:
    return outcome.errors == 0 ? 0 : 1;
  case LogCheckOutcome::Status::NoRecords:
    return 0;
  case LogCheckOutcome::Status::Failed:
    break;
  }
  return 2;
}

} // namespace baromon::cli
