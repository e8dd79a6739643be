// The decisions of a render that need nothing of the host but numbers: how
// many threads a window is worth, where a drawn clock's rows lie in the image,
// how wide the margin around the last clock is, and the compositing job of a
// drawn picture.
#pragma once

#include <cstdint>

#include "core/compositing/ClockPicture.h"
#include "core/compositing/OverlapPlan.h"
#include "core/compositing/Processor.h"
#include "ofxapi/OfxApi.h"

namespace horavex {

// The host is asked whether it is aborting once every this many rows of a
// band: asking before every row was most of a frame's calls into the host.
inline constexpr unsigned kRowsPerAbortQuestion = 32;

// A rectangle's extent, never negative and never overflowing.
int32_t extent(int32_t low, int32_t high);

// Whether a window of an image of these bounds is worth the host's other
// CPUs: the drawing of a new clock then goes beside the copying of the rows it
// does not reach. The host is asked for its CPUs only then.
bool worthThreads(const OfxRectI& window, const OfxRectI& bounds);

// Threads for such a window, at most hostThreads, each with a band of a few
// rows at least; one for a window not worth more.
unsigned threadsFor(const OfxRectI& window, const OfxRectI& bounds, unsigned hostThreads);

// Whether compositing alone is worth bands on other threads: below a few
// megabytes of output the frame is copied at the speed of one core's caches,
// and handing bands to other threads costs more than it saves.
bool worthCompositingThreads(const OfxRectI& window, const OfxRectI& bounds, int32_t bitDepth);

// The image rows a picture's drawing reaches in a frame laid out on `frame`.
RowRange inkRows(const ClockPicture& picture, const OfxRectI& frame);

// How far the rows planned for a new clock reach beyond the last clock's: a
// clock's rows move a little when its text changes.
int32_t overlapMargin(RowRange lastInkRows);

// `job` with `picture` composited over `window`.
CompositeJob jobWithPicture(const CompositeJob& job, const ClockPicture& picture, const OfxRectI& window,
                            int32_t bitDepth);

}  // namespace horavex
