// Facts about the platform the tests run on that some expectations depend on.
#pragma once

namespace horavex::testing {

// True when a Windows build runs under Wine. Wine's GDI+ fills shapes without
// anti-aliasing in every smoothing mode and draws no underline or strike-out
// lines, so tests of those skip there; a real Windows runs them.
bool runningUnderWine();

// Whether text is laid out with glyph advances fitted to whole pixels (GDI+
// grid fitting on Windows), so that a line's width grows with the em size only
// up to about a pixel per character.
constexpr bool kGridFittedAdvances =
#ifdef _WIN32
    true;
#else
    false;
#endif

}  // namespace horavex::testing
