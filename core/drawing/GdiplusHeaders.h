// Windows's and GDI+'s headers, in the order GDI+ needs them.
#pragma once

#include <windows.h>
// GDI+'s headers expect min and max from windows.h, which NOMINMAX keeps away.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
