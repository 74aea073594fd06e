#pragma once

#include <optional>
#include <string>

namespace baromon::platform {

// Where `program` would be started from: the current directory first, then the
// PATH; for a name ending in ".exe" the same name without it is tried as well.
std::optional<std::string> findProgram(const std::string& program);
#ifndef _WIN32
// The same with the running program's own directory (`ownDirectory`, "" when unknown)
// searched after the current directory and before the PATH: the programs shipped
// with the monitor lie beside it.
std::optional<std::string> findProgram(const std::string& program, const std::string& ownDirectory);
#endif

// Starts `program` detached (the caller neither waits for it nor reaps it) with
// no arguments; false when no executable of that name is found or the start fails.
bool startDetachedProgram(const std::string& program);

} // namespace baromon::platform
