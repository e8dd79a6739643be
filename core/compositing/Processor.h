// Lays the drawing surface of one render call into the host's output image,
// over the source clip or over transparent black, with optional keying.
//
// Coordinates: the surface covers an image rectangle, the render window unless
// setSurface says otherwise (the render action lays the clock out on the whole
// frame), and its column i, row j (rows upward from the bottom, its memory
// order) is the image pixel (x1 + i, y1 + j) of that rectangle. drawRect is
// given in surface pixels; only its part inside the surface is ever read.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "ofxapi/OfxApi.h"
#include "core/compositing/InkRuns.h"

namespace horavex {

// Polled before every row (or every n-th row of a window, see
// setRowsPerAbortPoll); true stops the work at once and the rows not yet done
// keep what the host put in the output. An empty poll never aborts. The
// render action wraps the image-effect suite's abort(effect) in it.
using AbortPoll = std::function<bool()>;

class Processor {
public:
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    // The whole render window, in one call on the calling thread.
    void run();

    // The surface covers `bounds` (image pixels) instead of the render window,
    // and only its pixels inside `ink` (surface columns and rows) may be
    // non-zero: the rest of the drawing rectangle is handled as undrawn
    // without reading the surface.
    void setSurface(OfxRectI bounds, OfxRectI ink);

    // Polls before rows n-1, 2n-1, ... of each window or band instead of
    // before every row; the count is kept per window, so bands on several
    // threads share nothing while they run. 0 counts as 1.
    void setRowsPerAbortPoll(unsigned rows);

    // The drawn runs of the surface's rows (null: not known, every pixel of
    // the ink is read). Outside them the surface is all zero. Not owned.
    void setInkRuns(const InkRuns* runs);

    // Only the ink's pixels are kept, apart from a surface that is never
    // read: rows of `rowBytes` bytes (upward, as the surface's) starting
    // with the ink's bottom left pixel. The surface then spans its whole
    // bounds, and the ink no more columns than a row's bytes hold. Not owned.
    void setInkPixels(const unsigned char* bits, int rowBytes);

    // Band `index` of `count` bands of rows of the render window, split as
    // evenly as rows allow; the bands together are the window, and doing them
    // in any order, on any threads, gives the pixels run() gives.
    void processBand(unsigned index, unsigned count);

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
    OfxRectI surfaceBounds;  // the image pixels the surface covers
    OfxRectI inkBounds;      // image pixels where the surface may be non-zero
    int srcRowBytes;
    int dstRowBytes;
    int drawRowBytes;
    bool inkApart = false;  // drawBits and drawRowBytes hold the ink alone
    unsigned rowsPerAbortPoll = 1;
    const InkRuns* inkRuns = nullptr;
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

    // The ink's pixels as this output shows them where it has no source
    // pixel (the copy above; untouched pixels black), rows of `rowPixels`
    // pixels like the ink's (see setInkPixels). Pixels without a source, and
    // opaque runs that are not keyed, are then copied from here instead of
    // being converted. Not owned; only used with the ink's pixels apart.
    void setInkCopy(const PIX* pixels, std::size_t rowPixels);

    // Fills `out` (columns x rows pixels, rows back to back) with the copy
    // of `rows` rows of `columns` ink pixels, `inkRowBytes` apart.
    static void copyInk(const unsigned char* ink, std::size_t inkRowBytes, std::size_t columns, std::size_t rows,
                        PIX* out) noexcept;

private:
    const PIX* inkCopy = nullptr;
    std::size_t inkCopyRowPixels = 0;
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

// Runs work(band) once for every band in [0, bands), perhaps on several
// threads at once, and returns when all are done.
using BandRunner = std::function<void(unsigned bands, const std::function<void(unsigned band)>& work)>;

// One composite of a drawn clock into an output image.
struct CompositeJob {
    AbortPoll abortPoll;
    bool useKey = false;
    OfxRectI drawRect{0, 0, 0, 0};
    OfxRGBAColourB keyColour{0, 0, 0, 0};
    const unsigned char* drawBits = nullptr;
    int drawRowBytes = 0;
    OfxRectI surfaceBounds{0, 0, 0, 0};
    OfxRectI ink{0, 0, 0, 0};  // surface pixels
    const void* srcData = nullptr;
    OfxRectI srcBounds{0, 0, 0, 0};
    int srcRowBytes = 0;
    void* dstData = nullptr;
    OfxRectI dstBounds{0, 0, 0, 0};
    int dstRowBytes = 0;
    OfxRectI renderWindow{0, 0, 0, 0};
    unsigned rowsPerAbortPoll = 1;
    const InkRuns* inkRuns = nullptr;  // see Processor::setInkRuns
    // The ink's copy for 8-bit output (see ProcessRGBA::setInkCopy), ink
    // columns to a row; null: none.
    const OfxRGBAColourB* inkCopy8 = nullptr;
    // With inkApart, drawBits and drawRowBytes are the ink's own pixels
    // (see Processor::setInkPixels).
    bool inkApart = false;
};

// runProcessorForDepth for a job, its render window cut into `bands` bands of
// rows handed to `runner` (all on the calling thread when bands < 2 or there
// is no runner).
bool runProcessorForDepth(int bitDepth, const CompositeJob& job, unsigned bands, const BandRunner& runner);

}  // namespace horavex
