#include <cstdio>
#include <cstring>

#include "cli/Cli.h"

int main(int argc, char** argv) {
  return baromon::cli::run(argc, argv);
}
