// How the GDI+ backend finds a face: the one asked for, else GDI+'s generic
// sans-serif family, else the face the clock measures with ("Arial"), else
// any face the system has.
#pragma once

#include <string>
#include <vector>

namespace horavex {

// Faces the backend treats as not installed, as on a system that lacks them
// (empty unless a test sets it). Set only while nothing draws.
void setFacesTreatedAsMissing(std::vector<std::wstring> faces);

}  // namespace horavex
