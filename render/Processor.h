// Lays the drawing surface of one render call into the host's output image,
// over the source clip or over transparent black, with optional keying.
//
// Coordinates: the surface is as large as the render window and its column i,
// row j (rows upward from the bottom, its memory order) is the image pixel
// (renderWindow.x1 + i, renderWindow.y1 + j). drawRect is given in surface
// pixels; only its part inside the surface is ever read.
#pragma once

#include <functional>
#include <utility>

#include "ofxapi/OfxApi.h"

namespace horavex {

// Polled before every row; true stops the work at once and the rows not yet
// done keep what the host put in the output. An empty poll never aborts.
// The render action wraps the image-effect suite's abort(effect) in it.
using AbortPoll = std::function<bool()>;

class Processor {
public:
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    // The whole render window, in one call on the calling thread.
    void run();

    // Processes the part of window that lies inside dstBounds, bottom row first.
    virtual void processWindow(const OfxRectI& window) = 0;

protected:
    Processor(AbortPoll abortPoll, bool useKey, OfxRectI drawRect, OfxRGBAColourB keyColour,
              const unsigned char* drawBits, const void* srcData, OfxRectI srcBounds,
              int srcRowBytes, void* dstData, OfxRectI dstBounds, int dstRowBytes,
              int drawRowBytes, OfxRectI renderWindow);
    // Never owned through a base pointer: built, run and dropped by value.
    ~Processor() = default;

    AbortPoll abortPoll;
    bool useKey;
    OfxRectI drawRect;
    OfxRGBAColourB keyColour;  // r, g, b compared; a ignored
    const unsigned char* drawBits;  // first byte of the surface's bottom row (B, G, R, A)
    const void* srcData;            // null without a source
    void* dstData;
    OfxRectI srcBounds;
    OfxRectI dstBounds;
    OfxRectI renderWindow;
    int srcRowBytes;
    int dstRowBytes;
    int drawRowBytes;
};

// One class per output pixel type: <OfxRGBAColourB,255,0>, <OfxRGBAColourS,65535,0>
// and <OfxRGBAColourF,1,1>, the only three that exist (Processor.cpp).
//
// Per pixel of the window: outside the drawing rectangle the source passes
// through (black where there is no source pixel). Inside it, with a source
// pixel: a drawing colour equal to the key colour gives black when keying is
// on; otherwise a drawn pixel (alpha != 0) is blended over the source, opaque,
// and an undrawn one shows the source. Inside it without a source pixel: a
// drawn pixel is copied premultiplied, an undrawn one is black.
//
// With h = float(D.alpha / 255.0) and k = 1 - h (single precision):
//   blend  8-bit   trunc(D.c*h + S.c*k), alpha 255              (float products and sum)
//          16-bit  trunc(257*D.c*h + S.c*k), alpha 65535        (float products and sum)
//          float   float(double(D.c/255.0) * h + double(S.c*k)), alpha 1
//   copy   8-bit   (D.c*D.alpha + 127) / 255, alpha D.alpha      (integers, rounded)
//          16-bit  (D.c*D.alpha*257 + 127) / 255, alpha 257*D.alpha
//          float   float(double(D.c/255.0) * h), alpha float(D.alpha/255.0)
// The copies equal the plain colour copy wherever alpha is 255.
template <typename PIX, int max, int isFloat>
class ProcessRGBA final : public Processor {
public:
    ProcessRGBA(AbortPoll abortPoll, bool useKey, OfxRectI drawRect, OfxRGBAColourB keyColour,
                const unsigned char* drawBits, const void* srcData, OfxRectI srcBounds,
                int srcRowBytes, void* dstData, OfxRectI dstBounds, int dstRowBytes,
                int drawRowBytes, OfxRectI renderWindow)
        : Processor(std::move(abortPoll), useKey, drawRect, keyColour, drawBits, srcData,
                    srcBounds, srcRowBytes, dstData, dstBounds, dstRowBytes, drawRowBytes,
                    renderWindow) {}
    ~ProcessRGBA() = default;

    void processWindow(const OfxRectI& window) override;
};

extern template class ProcessRGBA<OfxRGBAColourB, 255, 0>;
extern template class ProcessRGBA<OfxRGBAColourS, 65535, 0>;
extern template class ProcessRGBA<OfxRGBAColourF, 1, 1>;

using ProcessRGBA8 = ProcessRGBA<OfxRGBAColourB, 255, 0>;
using ProcessRGBA16 = ProcessRGBA<OfxRGBAColourS, 65535, 0>;
using ProcessRGBAFloat = ProcessRGBA<OfxRGBAColourF, 1, 1>;

// Builds the class for an output bit depth (8, 16 or 32) with the constructor's
// arguments and runs it once. Any other depth builds none, leaves the output as
// the host gave it and returns false.
bool runProcessorForDepth(int bitDepth, AbortPoll abortPoll, bool useKey, OfxRectI drawRect,
                          OfxRGBAColourB keyColour, const unsigned char* drawBits,
                          const void* srcData, OfxRectI srcBounds, int srcRowBytes, void* dstData,
                          OfxRectI dstBounds, int dstRowBytes, int drawRowBytes,
                          OfxRectI renderWindow);

}  // namespace horavex
