#include "core/compositing/ClockPicture.h"

#include <cstring>

#include "core/compositing/DrawClock.h"
#include "core/compositing/Processor.h"
#include "core/compositing/SharedClockPictures.h"

namespace horavex {

bool sameClock(const ClockKey& a, const ClockKey& b) noexcept {
    return a.values == b.values && std::memcmp(&a.font, &b.font, sizeof a.font) == 0 &&
           a.frameWidth == b.frameWidth && a.frameHeight == b.frameHeight && a.text == b.text &&
           a.hours == b.hours && a.minutes == b.minutes && a.seconds == b.seconds && a.isSpan == b.isSpan &&
           a.negative == b.negative && a.overtime == b.overtime;
}

ClockKey clockKey(const ClockValues& values, const LogFont& font, int32_t frameWidth, int32_t frameHeight,
                  const std::wstring& text, const ShownTime& shown) {
    ClockKey key;
    key.values = values;
    key.font = font;
    key.frameWidth = frameWidth;
    key.frameHeight = frameHeight;
    key.isSpan = shown.isSpan;
    key.negative = shown.negative;
    key.overtime = shown.overtime;
    if (styleShowsText(values.clockStyle)) {
        key.text = text;
    } else if (values.clockStyle == kAnalogueStyle) {
        key.hours = shown.hours;
        key.minutes = shown.minutes;
        key.seconds = shown.seconds;
    }
    return key;
}

namespace {

// Pooled memory goes back all zero.
void giveBack(PixelMemory& memory) noexcept {
    if (memory.data() != nullptr) {
        std::memset(memory.data(), 0, memory.size());
        memory.recycle();
    }
}

}  // namespace

ClockPicture::~ClockPicture() {
    giveBack(inkMemory);
    giveBack(copyMemory_);
}

const OfxRGBAColourB* ClockPicture::inkCopy8() const {
    if (copyAsks_.fetch_add(1, std::memory_order_relaxed) == 0 || inkMemory.data() == nullptr) {
        return nullptr;
    }
    std::call_once(copyOnce_, [this] {
        const auto columns = static_cast<std::size_t>(ink.x2 - ink.x1);
        const auto rows = static_cast<std::size_t>(ink.y2 - ink.y1);
        if (copyMemory_.allocate(columns * rows * sizeof(OfxRGBAColourB))) {
            ProcessRGBA8::copyInk(inkMemory.data(), inkRowBytes, columns, rows,
                                  reinterpret_cast<OfxRGBAColourB*>(copyMemory_.data()));
        }
    });
    return reinterpret_cast<const OfxRGBAColourB*>(copyMemory_.data());
}

std::shared_ptr<const ClockPicture> drawClockPicture(const ClockKey& key, const ShownTime& shown) {
    // The surface goes back to the pool of pixel memory (cleared where it
    // was drawn) once the ink has been taken from it: the next clock of the
    // same frame size is drawn on the same memory.
    DrawingSurface surface;
    const DrawingTarget* target = surface.create(key.frameWidth, key.frameHeight, 32, false);
    if (target == nullptr) {
        return nullptr;
    }
    auto picture = std::make_shared<ClockPicture>();
    picture->frameWidth = key.frameWidth;
    picture->frameHeight = key.frameHeight;
    const RectF whole{0.0f, 0.0f, static_cast<float>(key.frameWidth), static_cast<float>(key.frameHeight)};
    const ClockGeometry geometry = computeClockGeometry(key.frameWidth, key.frameHeight, key.values);
    picture->drawArea = drawClock(*target, ClockScene{key.values, geometry, shown, key.text, key.font}, whole);
    // Drawing rows count down from the top, memory rows up from the bottom.
    const PixelArea written = target->written;
    if (written.empty()) {
        return picture;
    }
    const OfxRectI ink{written.left, key.frameHeight - written.bottom, written.right, key.frameHeight - written.top};
    // Within the surface, whose size was allocated: no product overflows.
    const auto columns = static_cast<std::size_t>(ink.x2 - ink.x1);
    const auto rows = static_cast<std::size_t>(ink.y2 - ink.y1);
    const std::size_t rowBytes = columns * DrawingSurface::kBytesPerPixel;
    if (!picture->inkMemory.allocate(rowBytes * rows)) {
        return nullptr;
    }
    const unsigned char* const bits = surface.pixels();
    for (std::size_t row = 0; row < rows; ++row) {
        std::memcpy(picture->inkMemory.data() + row * rowBytes,
                    bits + (static_cast<std::size_t>(ink.y1) + row) * surface.rowBytes() +
                        static_cast<std::size_t>(ink.x1) * DrawingSurface::kBytesPerPixel,
                    rowBytes);
    }
    picture->ink = ink;
    picture->inkRowBytes = rowBytes;
    picture->runs = InkRuns::scanInk(picture->inkMemory.data(), rowBytes, ink);
    return picture;
}

std::shared_ptr<const ClockPicture> ClockCache::obtain(const ClockKey& key, const ShownTime& shown) {
    if (std::shared_ptr<const ClockPicture> found = find(key)) {
        return found;
    }
    // The old picture goes first: unless the shared store or a render still
    // holds it, its memory may serve the new one.
    picture_.reset();
    std::shared_ptr<const ClockPicture> picture = drawClockPicture(key, shown);
    if (picture != nullptr) {
        ++drawn_;
        key_ = key;
        picture_ = picture;
        if (shared_ != nullptr) {
            shared_->publish(key, picture);
        }
    }
    return picture;
}

std::shared_ptr<const ClockPicture> ClockCache::find(const ClockKey& key) {
    if (picture_ != nullptr && sameClock(key, key_)) {
        return picture_;
    }
    if (shared_ == nullptr) {
        return nullptr;
    }
    std::shared_ptr<const ClockPicture> found = shared_->find(key);
    if (found != nullptr) {
        key_ = key;
        picture_ = found;
    }
    return found;
}

std::shared_ptr<const ClockPicture> ClockCache::last() const {
    if (picture_ != nullptr || shared_ == nullptr) {
        return picture_;
    }
    return shared_->newest();
}

void ClockCache::clear() noexcept {
    picture_.reset();
    key_ = ClockKey{};
}

}  // namespace horavex
