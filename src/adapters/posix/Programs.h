#pragma once

#include <optional>
#include <string>

namespace baromon::platform {

// Where `program` would be started from: the current directory first, then the
// PATH; for a name ending in ".exe" the same name without it is tried as well.
std::optional<std::string> findProgram(const std::string& program);

// Starts `program` detached (the caller neither waits for it nor reaps it) with
// no arguments; false when no executable of that name is found or the start fails.
bool startDetachedProgram(const std::string& program);

} // namespace baromon::platform
