#include <cstdio>
#include <string>
#include <vector>

#include "assembly/CommandPlatform.h"
#include "cli/Commands.h"
#include "core/config/EventTexts.h"
#include "core/config/SettingsFile.h"
#include "core/state/AppContext.h"

namespace baromon::cli {

namespace {

void printSettings(const AppContext& app, SettingsLoad load, std::FILE* out) {
  if (load == SettingsLoad::Missing) {
    std::fputs("# no monitor.ini here yet: the settings a first start writes\n", out);
  }
  for (const SettingLine& line : settingLines(app.settings)) {
    const std::string setting = line.key + "=" + line.value;
    std::fprintf(out, "%-10s %s\n", setting.c_str(), line.meaning.c_str());
  }
}

} // namespace

int runSettings(int argc, char** argv, std::FILE* out, std::FILE* err) {
  assembly::CommandPlatform command(err);
  AppContext app{command.services()};
  // Where there is no file yet, the one the monitor would write first.
  applyDefaultSettings(app.settings);
  app.settings.language = userLanguage(app);
  const SettingsLoad load = peekSettings(app);
  if (load == SettingsLoad::Damaged) {
    std::fputs("baromon: monitor.ini is damaged (not the 125-byte file the monitor writes); the monitor "
               "keeps it as monitor.ini.bad and starts with the defaults. Nothing changed.\n",
               err);
    return 1;
  }
  if (argc == 0) {
    printSettings(app, load, out);
    return 0;
  }
  std::vector<std::string> refused;
  for (int i = 0; i < argc; ++i) {
    if (std::string why = changeSetting(app.settings, argv[i]); !why.empty()) {
      refused.push_back(why);
    }
  }
  if (!refused.empty()) {
    for (const std::string& why : refused) {
      std::fprintf(err, "baromon: %s\n", why.c_str());
    }
    std::fputs("baromon: settings take KEY=VALUE as monitor.ini writes them (LANG=EN, HK=+00125, COM=COM3); "
               "nothing changed\n",
               err);
    return 2;
  }
  // A running monitor writes its own settings at its end, over these.
  assembly::NativeDirectoryLock lock(".");
  if (lock.tryLock() == platform::LockResult::HeldByAnother) {
    std::fputs("baromon: a monitor runs in this directory and writes monitor.ini when it ends; change the "
               "settings in it, or stop it first. Nothing changed.\n",
               err);
    return 1;
  }
  saveSettings(app);
  if (app.shell.fatalRaised) {
    return 1;
  }
  printSettings(app, SettingsLoad::Read, out);
  return 0;
}

} // namespace baromon::cli
