#pragma once

#include <ostream>

// The tracery executable without a window:
//   tracery --export OUTPUT [--page N] [--dpi D] INPUT
//                                   opens INPUT as File > Open does and saves it as Save
//                                   does, in the form OUTPUT's extension selects
//   tracery --info [--page N] [--dpi D] INPUT
//                                   prints the image information of INPUT
//   tracery --demo                  the digitizing core at work on an example
// --page and --dpi choose the page of a PDF (from 1; default 1) and its resolution in dots
// per inch (default 150); other files ignore them.
// Exit status: 0 success, 1 the open or the save failed, 2 bad usage.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
