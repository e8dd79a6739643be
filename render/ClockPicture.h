// A clock drawn once on a surface as large as the whole output frame, and the
// instance's memory of the last one drawn.
//
// Every render window of a frame is composited from the same picture, so the
// windows of a frame fit together to the bit however a host cuts it; and a
// clock whose inputs have not changed since the last frame (a seconds display
// at 25 frames per second shows one picture 25 times) is not drawn again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "clocktime/ShownTime.h"
#include "drawing/DrawingSurface.h"
#include "drawing/Shapes.h"
#include "ofxapi/OfxApi.h"
#include "params/ClockValues.h"
#include "params/LogFont.h"
#include "render/ClockGeometry.h"
#include "render/InkRuns.h"

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
    DrawingSurface surface;
    // The part of the frame the compositing consults (surface pixels, rows
    // upward): the style's drawing area.
    RectF drawArea;
    // Pixels, in surface columns and memory rows, that may be non-zero; every
    // other pixel of the surface is untouched.
    OfxRectI ink{0, 0, 0, 0};
    // The drawn runs of the ink's rows.
    InkRuns runs;
};

// Draws the clock of `key` on a fresh frame-sized surface, laid out from the
// frame's size. Null when no pixel memory can be had for the frame.
std::shared_ptr<const ClockPicture> drawClockPicture(const ClockKey& key, const ShownTime& shown);

// The last clock an instance drew. Not locked: its owner serialises access.
class ClockCache {
public:
    // The picture of `key`, drawn only when the last one differs; null when
    // it cannot be drawn. A picture handed out stays valid for its holder
    // after the cache has moved on.
    std::shared_ptr<const ClockPicture> obtain(const ClockKey& key, const ShownTime& shown);
    // The picture of `key` when it is the last one drawn; null otherwise.
    // Never draws.
    std::shared_ptr<const ClockPicture> find(const ClockKey& key) const;
    // The last picture drawn, whatever its key (null before the first).
    std::shared_ptr<const ClockPicture> last() const noexcept { return picture_; }

    // Number of pictures drawn so far.
    uint64_t drawn() const noexcept { return drawn_; }
    void clear() noexcept;

private:
    ClockKey key_;
    std::shared_ptr<const ClockPicture> picture_;
    uint64_t drawn_ = 0;
};

}  // namespace horavex
