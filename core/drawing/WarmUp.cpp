#include "core/drawing/WarmUp.h"

#include <array>
#include <mutex>

#include "core/drawing/DrawingSurface.h"
#include "core/drawing/Graphics.h"

namespace horavex {

void warmUpDrawing() {
    static std::once_flag once;
    std::call_once(once, [] {
        DrawingSurface surface;
        const DrawingTarget* target = surface.create(64, 32, 32, false);
        if (target == nullptr) {
            return;
        }
        const std::unique_ptr<Graphics> graphics = createGraphics(target);
        const Color colour = makeColor(255, 255, 255, 255);
        graphics->fillEllipse(IntRect{1, 1, 20, 20}, colour);
        const std::array<PointF, 3> triangle{PointF{30, 2}, PointF{40, 20}, PointF{25, 20}};
        graphics->fillPolygon(triangle, colour);
        graphics->fillRectangle(IntRect{44, 2, 10, 10}, colour);
        // The default face of the font parameter, and the generic fallback.
        for (const char16_t* face : {u"Arial", u"sans-serif"}) {
            const std::unique_ptr<Font> font = graphics->createFont(face, 12.0f, kFontStyleRegular);
            graphics->measureString(L"0123456789:.", *font, PointF{0, 0});
            graphics->drawString(L"0123456789:.", *font, RectF{0, 0, 64, 32}, colour);
        }
        graphics->finish();
    });
}

}  // namespace horavex
