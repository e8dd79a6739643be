// Readies the font machinery and the drawing back-end ahead of the first
// render: fontconfig's configuration and font list, the font map, and the
// rasteriser's first shapes and glyphs, which otherwise make the first frame
// of a process wait.
#pragma once

namespace horavex {

// Draws a little text and a few shapes on a small private surface; safe to
// call more than once and from any thread.
void warmUpDrawing();

}  // namespace horavex
