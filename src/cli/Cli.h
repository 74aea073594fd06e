#pragma once

namespace baromon::cli {

// Parses the command line and runs the monitor or a subcommand; returns the exit status.
int run(int argc, char** argv);

} // namespace baromon::cli
