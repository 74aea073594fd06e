#include <csignal>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#endif

#include "cli/Cli.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  // A reader that went away (`baromon ... | head`, a closed terminal) must not kill the
  // program: the monitor records on, and the commands see the failed write and end
  // with 1. Programs we start get the default back (see adapters/posix/Programs.cpp).
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef _WIN32
  // Bytes in and out as they are, as on Linux: the device's CR LF reaches the decoder,
  // and exports and reports are the same files on both systems.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
#if defined(BAROMON_SPECTRUM_PROGRAM)
  // dft: the spectrum program the monitor's menu starts.
  return baromon::cli::runSpectrumProgram(argc, argv, baromon::cli::spectrumFrontEnd());
#elif defined(_WIN32)
  return baromon::cli::run(argc, argv, &baromon::cli::win32FrontEnd());
#elif defined(BAROMON_PICTURE_PROGRAM)
  // baromon-pictures: the same command line, drawing PNG pictures without a toolkit.
  return baromon::cli::run(argc, argv, &baromon::cli::pictureFrontEnd());
#elif defined(BAROMON_FRONT_END_PROGRAM)
  // baromon-gui: the same command line, with windows and pictures.
  return baromon::cli::run(argc, argv, &baromon::cli::qtFrontEnd());
#else
  return baromon::cli::run(argc, argv, nullptr);
#endif
}
