#pragma once

#include <cstdio>
#include <string>

#include "cli/Cli.h"

namespace baromon::cli {

// `baromon decode [--hk N] [FILE]`: decodes device lines as the monitor does
// in KX mode and prints the reading after each line. `args` excludes "decode".
int runDecode(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);

// `baromon check`: checks and repairs monitor.txt in the current directory and
// prints the text of the box it would show. Exit status 0 when no error was
// found, 1 when errors were found and corrected, 2 when the check could not run.
int runCheck(int argc, char** argv, std::FILE* out, std::FILE* err);

// `baromon settings [KEY=VALUE]...`: prints the settings of monitor.ini with their
// meaning, or changes them through the monitor's own save (all or none: 2 when a value
// is refused, 1 while a monitor runs in the directory or the file is damaged).
int runSettings(int argc, char** argv, std::FILE* out, std::FILE* err);

// `baromon export [FILE]`: the records of FILE (default monitor.txt) as CSV.
int runExport(int argc, char** argv, std::FILE* out, std::FILE* err);

struct RenderOptions {
  std::string out;  // .png, .svg or .pdf
  int width = 1100; // the main window's client area
  int height = 600;
  bool paper = false; // force the paper look
  int offset = 1;     // scroll offset: 1 = the newest record
};

// `baromon render OUT [--size WxH] [--paper] [--offset N]`: paints the barogram of
// monitor.txt in the current directory, with the options of monitor.ini, into OUT.
// Writes no other file, and the picture with `writePicture`.
int runRender(const RenderOptions& options, std::FILE* err, PictureWriter writePicture);
// 0 when the arguments are usable, else 2 after a message on `err`.
int parseRenderArguments(int argc, char** argv, RenderOptions& options, std::FILE* err);
struct DiurnalOptions {
  std::string picture; // .png, .svg or .pdf; empty: the text lines only
  int width = 500;     // the diurnal window's client area
  int height = 250;
};
// `baromon diurnal [OUT] [--size WxH]`: 0 when the arguments are usable, else 2 after
// a message on `err`. `args` excludes "diurnal".
int parseDiurnalArguments(int argc, char** argv, DiurnalOptions& options, std::FILE* err);
// The diurnal analysis of monitor.txt, its two text lines on `out`, and with a picture
// the window's, written by `writePicture`.
int runDiurnal(const DiurnalOptions& options, std::FILE* out, std::FILE* err, PictureWriter writePicture);

// `baromon print OUT.pdf [--nmea] [--page WxH]`: the barogram (or NMEA table)
// print job into a PDF file instead of a chosen printer.
int runPrint(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace baromon::cli
