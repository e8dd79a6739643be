// A clock drawn once on a surface as large as the whole output frame, and the
// instance's memory of the last one drawn.
//
// Every render window of a frame is composited from the same picture, so the
// windows of a frame fit together to the bit however a host cuts it; and a
// clock whose inputs have not changed since the last frame (a seconds display
// at 25 frames per second shows one picture 25 times) is not drawn again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/clocktime/ShownTime.h"
#include "core/drawing/DrawingSurface.h"
#include "core/drawing/PixelMemory.h"
#include "core/drawing/Shapes.h"
#include "ofxapi/OfxApi.h"
#include "core/values/ClockValues.h"
#include "core/values/LogFont.h"
#include "core/compositing/ClockGeometry.h"
#include "core/compositing/InkRuns.h"

namespace horavex {

// Everything that decides the pixels of a drawn clock. The analogue style
// shows hours, minutes and seconds; the text styles show their text, so a
// clock that shows "hh:mm" stays the same for a minute.
struct ClockKey {
    ClockValues values;
    LogFont font{};
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    std::wstring text;
    int32_t hours = -1;
    int32_t minutes = -1;
    int32_t seconds = -1;
    // How the shown time is drawn besides its text (timer marks, overtime).
    bool isSpan = false;
    bool negative = false;
    bool overtime = false;
};

bool sameClock(const ClockKey& a, const ClockKey& b) noexcept;

// The key of a render: `values` as the clock is drawn (drawingValues),
// `text` only for the styles that show it, the shown time only for the
// analogue style.
ClockKey clockKey(const ClockValues& values, const LogFont& font, int32_t frameWidth, int32_t frameHeight,
                  const std::wstring& text, const ShownTime& shown);

struct ClockPicture {
    // The frame the clock was laid out on.
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    // The part of the frame the compositing consults (frame pixels, rows
    // upward): the style's drawing area.
    RectF drawArea;
    // Pixels, in frame columns and rows upward, that may be non-zero; every
    // other pixel of the frame is untouched.
    OfxRectI ink{0, 0, 0, 0};
    // The drawn runs of the ink's rows (frame columns and rows).
    InkRuns runs;
    // The ink's pixels alone (bytes blue, green, red, alpha, colour not
    // premultiplied), its rows back to back from the bottom one: the clock
    // is drawn on a frame-sized surface, but a dial covers a small part of a
    // frame, and its rows read one after another stay in the caches. The
    // memory comes from, and goes back to, the pool of pixel memory: a
    // clock that changes every frame is not a fresh allocation every frame.
    PixelMemory inkMemory;
    std::size_t inkRowBytes = 0;

    ClockPicture() = default;
    ~ClockPicture();
    ClockPicture(const ClockPicture&) = delete;
    ClockPicture& operator=(const ClockPicture&) = delete;

    const unsigned char* inkPixels() const noexcept { return inkMemory.data(); }

    // The ink as an 8-bit output shows it without a source (premultiplied;
    // untouched pixels black), ink columns to a row, made the second time
    // it is asked for: a clock shown again is then copied, not converted,
    // while one that changes every frame is converted once, as it is
    // composited. Null before that, or when no memory can be had.
    const OfxRGBAColourB* inkCopy8() const;

    // The memory it holds, or will once its 8-bit copy is made.
    std::size_t bytes() const noexcept { return 2 * inkRowBytes * static_cast<std::size_t>(ink.y2 - ink.y1); }

private:
    mutable std::atomic<unsigned> copyAsks_{0};
    mutable std::once_flag copyOnce_;
    mutable PixelMemory copyMemory_;
};

// Draws the clock of `key` on a frame-sized surface, laid out from the
// frame's size, and keeps its ink. Null when no pixel memory can be had.
std::shared_ptr<const ClockPicture> drawClockPicture(const ClockKey& key, const ShownTime& shown);

class SharedClockPictures;

// The last clock an instance drew. Not locked: its owner serialises access.
// With a shared store, a clock another instance drew is taken from there
// instead of being drawn again, and every clock drawn is offered to it.
class ClockCache {
public:
    explicit ClockCache(SharedClockPictures* shared = nullptr) noexcept : shared_(shared) {}

    // The picture of `key`, drawn only when neither the last one nor the
    // shared store has it; null when it cannot be drawn. A picture handed
    // out stays valid for its holder after the cache has moved on.
    std::shared_ptr<const ClockPicture> obtain(const ClockKey& key, const ShownTime& shown);
    // The picture of `key` when it is the last one or the shared store has
    // it (it then becomes the last one); null otherwise. Never draws.
    std::shared_ptr<const ClockPicture> find(const ClockKey& key);
    // The last picture, whatever its key; before the first, the shared
    // store's most recent one (null when there is none).
    std::shared_ptr<const ClockPicture> last() const;

    // Number of pictures this cache has drawn so far.
    uint64_t drawn() const noexcept { return drawn_; }
    // Number of new clocks a render obtained on one of the host's threads
    // while the others copied the rows the last clock had left alone.
    uint64_t obtainedBesideCopies() const noexcept { return obtainedBesideCopies_; }
    void noteObtainedBesideCopies() noexcept { ++obtainedBesideCopies_; }
    void clear() noexcept;

private:
    SharedClockPictures* shared_;
    ClockKey key_;
    std::shared_ptr<const ClockPicture> picture_;
    uint64_t drawn_ = 0;
    uint64_t obtainedBesideCopies_ = 0;
};

}  // namespace horavex
