// Runs a font chooser program in a process of its own, so that no toolkit is
// ever loaded into the host's process, and waits for its answer.
#pragma once

#include <string>

#include "core/fontchooser/FontChooserProtocol.h"

namespace horavex {

// Starts `program` (a path, not searched for) with the arguments for
// `current`, its standard input on /dev/null and its standard output read
// back, and blocks until it exits. A program that cannot start, dies, or says
// anything but a well-formed answer gives Unavailable.
FontChooserAnswer runFontChooserProgram(const std::string& program, const FontChoice& current);

}  // namespace horavex
