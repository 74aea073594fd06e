#include <csignal>

#include "cli/Cli.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  // A reader that went away (`baromon ... | head`, a closed terminal) must not kill the
  // program: the monitor records on, and the commands see the failed write and end
  // with 1. Programs we start get the default back (see adapters/posix/Programs.cpp).
  std::signal(SIGPIPE, SIG_IGN);
#endif
  return baromon::cli::run(argc, argv);
}
