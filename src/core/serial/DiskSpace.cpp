#include "core/state/AppContext.h"
#include "core/config/EventLog.h"
#include "core/serial/Acquisition.h"

namespace baromon {

namespace {

constexpr std::uint64_t kMinFreeBytes = 100000;

struct DiskMessage {
  const char* text;
  const char* caption;
};
constexpr DiskMessage kDiskMessages[] = {
    {"Warnung: nicht ausreichend Speicherplatz\noder kein Speicherndes Laufwerk !", "Fehler"},
    {"Warning: not enough free space on harddisk\nor device not recording / ready !", "Error"},
    {"Pas assez de place libre sur disque fixe\nou autre probleme !", "Erreur disque fixe"},
    {"Not enough fre space on disk\nor device is not recording / ready !", "Error"},
    {"disco fisso pieno\no non funzionando/registrando !", "Errore disco"},
    {"disco pleno\nor device is not recording / ready !", "Problema"},
};

} // namespace

int checkFreeDiskSpace(AppContext& app) {
  const auto free = app.platform.files.freeBytes();
  if (!free) {
    return 0;
  }
  if (*free >= kMinFreeBytes) {
    return 1;
  }
  const DiskMessage& m = inLanguage(kDiskMessages, app.settings.language);
  app.platform.boxes.messageBox(m.text, m.caption, platform::BoxIcon::Error);
  app.platform.boxes.beep(platform::BeepKind::Exclamation);
  reportEvent(app, Event::NotEnoughSpace);
  return 0;
}

} // namespace baromon
