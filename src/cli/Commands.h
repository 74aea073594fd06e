#pragma once

#include <cstdio>

namespace baromon::cli {

// `baromon decode [--hk N] [FILE]`: decodes device lines as the monitor does
// in KX mode and prints the reading after each line. `args` excludes "decode".
int runDecode(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);

} // namespace baromon::cli
