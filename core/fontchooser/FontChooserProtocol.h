// What the plug-in and its font chooser program say to each other. The
// plug-in starts the program with the current font as arguments:
//   --face=<UTF-8 family> --size=<points> --weight=<1..1000>
//   --italic=0|1 --underline=0|1 --strikeout=0|1
// and the program answers on its standard output with one line, "chosen",
// "cancelled" or "unavailable" (no display could be opened), the first
// followed by the choice as lines "face=...", "size=...", "weight=...",
// "italic=...", "underline=..." and "strikeout=...". Numbers are written
// without regard to any locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/values/LogFont.h"

namespace horavex {

struct FontChoice {
    std::string face;  // UTF-8 family name
    double points = 0.0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class FontChooserOutcome { Chosen, Cancelled, Unavailable };

struct FontChooserAnswer {
    FontChooserOutcome outcome = FontChooserOutcome::Unavailable;
    FontChoice choice;  // meaningful when Chosen
};

// The record's font as the chooser shows it, and the chooser's choice written
// back into the record. Only height, weight, the three flags and the face
// change; pitch-and-family and every other field keep their values.
FontChoice fontChoiceFrom(const LogFont& font);
void applyFontChoice(const FontChoice& choice, LogFont& font);

std::vector<std::string> fontChooserArguments(const FontChoice& choice);
// Unknown arguments are ignored; a missing or malformed one keeps its default.
FontChoice parseFontChooserArguments(const std::vector<std::string_view>& arguments);

std::string formatFontChooserAnswer(const FontChooserAnswer& answer);
// Anything that is not a complete, well-formed answer is Unavailable.
FontChooserAnswer parseFontChooserAnswer(std::string_view output);

}  // namespace horavex
