#pragma once

#include <string>

namespace baromon::assembly {

// Windows and pictures are made by the front-end program `baromon-gui`, so that the
// logger (`baromon`: the headless monitor and the commands that draw nothing) never
// loads a toolkit. This replaces the running program by the front end with the same
// arguments, working directory, environment and standard files, so its exit status,
// output and files are the program's own. It is looked for beside the running program,
// then in ../libexec/baromon/ from there, then where it is installed. Returns only when
// that failed, after a message on standard error: 127 when there is none, 126 when it
// could not be started (1 on Windows, which has no front end).
int handOverToFrontEnd(char** argv);

// PNG pictures are drawn by `baromon-pictures`, which needs no toolkit: a picture is
// made in a fraction of the time the front end takes to start. Handed over as above;
// where it is not installed, to the front end.
int handOverToPictureProgram(char** argv);

// The folder of the running program's file (links resolved), or "" when unknown.
std::string ownFolder();

} // namespace baromon::assembly
