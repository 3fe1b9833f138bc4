#pragma once

#include <string>
#include <vector>

#include "fleet/text_reporter.h"

// What the command line needs of its process and console, one file per
// platform.
namespace trelvo {

// The arguments after the program's name, as UTF-8: on Windows read again
// as the UTF-16 the system holds, since argv there is in the ANSI code page
// and loses every character outside it.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Output as on Linux: UTF-8 bytes and bare line feeds, on a console and
// redirected alike. The console's code page is put back when the process
// ends.
void PrepareOutput();

// Readies the process for many recorders at once: on POSIX raises the soft
// limit of open files (each recorder holds a socket and the update file),
// on Windows starts Winsock. False, with the reason, when it cannot.
bool PrepareForRecorders(std::string& problem);

// The size of the terminal standard output shows on, for in-place progress
// lines; no columns when output is redirected or the console cannot redraw.
TextReporter::TerminalSize OutputTerminal();

// Whether standard error shows on a terminal, for progress that only a
// person watching needs.
bool ErrorIsTerminal();

}  // namespace trelvo
