#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/config/EventLog.h"
#include "core/config/Settings.h"

namespace baromon {

struct AppContext;

// An event as the user reads it in `language` (Windows-1252, no trailing blank): the
// events a running logger meets are told in the six languages, the rest in the English
// of monitor.err. A missing monitor.ini is a notice here, not an error: it is every
// first start.
std::string eventTextIn(ErrorCode code, int language, const std::string& detail = {});

// The language of a locale name ("fr_FR.UTF-8", "nl-BE", "es"), or nullopt for one of
// none of the six ("C", "POSIX", "pt_BR").
std::optional<Language> languageOfLocale(const std::string& name);

// The language of a new monitor.ini: the user's locale's when it is one of the six, else German.
std::uint8_t userLanguage(const AppContext& app);

} // namespace baromon
