// The versions of the drawing libraries the clock is drawn with, as the
// running process has loaded them, for people reporting what they run.
#pragma once

#include <string>

namespace horavex {

// "Cairo 1.16.0, Pango 1.50.12" on Linux; "GDI+ 5.2.7601.1" (the version of
// the loaded gdiplus.dll) on Windows.
std::string drawingLibraryVersions();

}  // namespace horavex
