#pragma once

#include <string>

#include "core/serial/Acquisition.h"

namespace baromon {

struct AppContext;

// Brings the windows up to date with what an acquisition cycle changed, in the order
// a processed line always had: the titles, the values and converter panels, then the
// reloaded barogram.
void showAcquisitionChanges(AppContext& app, const AcquisitionChanges& changes);

// The live main-window title of KX mode after a processed line.
std::string barographLiveTitle(const AppContext& app);

} // namespace baromon
