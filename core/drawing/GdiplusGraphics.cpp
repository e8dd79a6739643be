// The Graphics of Windows: GDI+ drawing straight into the drawing surface's
// memory.
//
// GDI+ draws into a Bitmap laid over the surface's pixels in
// PixelFormat32bppPARGB, not into a memory device context. A Graphics made
// from a device context treats the bitmap as having no alpha: under Wine an
// opaque fill leaves alpha at 0 there, and on Windows it depends on the
// driver. A PARGB Bitmap is written by GDI+ itself, so every fill sets a real
// alpha on both. PARGB is premultiplied and the surface keeps straight colour,
// so, as with the other backend, the area an operation may reach is brought
// into premultiplied form before GDI+ first touches it and back by finish().
//
// A bottom-up surface is handed to GDI+ as its top drawing row with a negative
// stride, so GDI+ draws as on a top-down picture. Shapes far outside the
// picture are cut down to it first: GDI+ rasterises in floating point and
// fails or loses precision on huge coordinates.
#include "core/drawing/GdiplusHeaders.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "core/drawing/AlphaConversion.h"
#include "core/drawing/GdiplusFonts.h"
#include "core/drawing/GdiplusRuntime.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/PolygonClip.h"

namespace horavex {
namespace {

namespace gp = Gdiplus;
namespace flat = Gdiplus::DllExports;

// Shapes are cut this far outside the picture, so that the cut edges never
// touch its pixels.
constexpr double kClipGuard = 2.0;
// Beyond this distance from the picture an ellipse is drawn as a polygon cut
// to the picture; within it GDI+ takes the curve as it is.
constexpr double kSafeReach = 1048576.0;
// The same em size limit as the other backend, so that a font is usable on
// one platform exactly when it is on the other. Fonts above the layout limit
// are made at that size and scaled up when measured and drawn, as there.
constexpr double kMaxFontPixels = 1e12;
constexpr double kMaxLayoutPixels = 4096.0;
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr wchar_t kMeasuringFace[] = L"Arial";
constexpr double kEllipseTolerance = 0.05;
constexpr size_t kMaxEllipseSegments = size_t{1} << 18;

class GdiplusFont final : public Font {
public:
    GdiplusFont() = default;
    ~GdiplusFont() override {
        if (font_ != nullptr) {
            flat::GdipDeleteFont(font_);
        }
    }
    GdiplusFont(const GdiplusFont&) = delete;
    GdiplusFont& operator=(const GdiplusFont&) = delete;

    bool usable() const noexcept override { return font_ != nullptr; }

    // Made with the GDI+ font, so that GDI+ outlives it.
    std::optional<GdiplusUse> use_;
    gp::GpFont* font_ = nullptr;
    // Drawing size over the size the font was made at.
    double scale_ = 1.0;
};

class SolidBrush {
public:
    explicit SolidBrush(Color colour) { flat::GdipCreateSolidFill(static_cast<gp::ARGB>(colour.argb), &brush_); }
    ~SolidBrush() {
        if (brush_ != nullptr) {
            flat::GdipDeleteBrush(brush_);
        }
    }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;

    gp::GpBrush* get() const noexcept { return brush_; }

private:
    gp::GpSolidFill* brush_ = nullptr;
};

PixelArea intersect(const PixelArea& a, const PixelArea& b) {
    return PixelArea{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
}

int64_t saturatingEnd(int64_t start, int64_t length) {
    int64_t end = 0;
    return __builtin_add_overflow(start, length, &end) ? std::numeric_limits<int64_t>::max() : end;
}

std::vector<PointD> flattenEllipse(double centreX, double centreY, double radiusX, double radiusY) {
    const double radius = std::max(radiusX, radiusY);
    const double wanted = std::ceil(std::numbers::pi * std::sqrt(radius / (2.0 * kEllipseTolerance)));
    const size_t segments = static_cast<size_t>(std::clamp(wanted, 64.0, static_cast<double>(kMaxEllipseSegments)));
    std::vector<PointD> outline(segments);
    for (size_t i = 0; i < segments; ++i) {
        const double angle = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(segments);
        outline[i] = PointD{centreX + radiusX * std::cos(angle), centreY + radiusY * std::sin(angle)};
    }
    return outline;
}

std::vector<std::wstring>& facesTreatedAsMissing() {
    static auto* faces = new std::vector<std::wstring>();
    return *faces;
}

bool treatedAsMissing(const std::wstring& face) {
    for (const std::wstring& missing : facesTreatedAsMissing()) {
        if (CompareStringOrdinal(face.c_str(), -1, missing.c_str(), -1, TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

std::wstring familyName(const gp::GpFontFamily* family) {
    WCHAR name[LF_FACESIZE] = {};
    if (flat::GdipGetFamilyName(family, name, LANG_NEUTRAL) != gp::Ok) {
        return std::wstring();
    }
    name[LF_FACESIZE - 1] = 0;
    return std::wstring(name);
}

// A family to make a font of, or null; the caller deletes it.
gp::GpFontFamily* usableFamily(gp::GpFontFamily* family) {
    if (family != nullptr && treatedAsMissing(familyName(family))) {
        flat::GdipDeleteFontFamily(family);
        return nullptr;
    }
    return family;
}

gp::GpFontFamily* familyNamed(const std::wstring& name) {
    gp::GpFontFamily* family = nullptr;
    if (name.empty() || treatedAsMissing(name) ||
        flat::GdipCreateFontFamilyFromName(name.c_str(), nullptr, &family) != gp::Ok) {
        return nullptr;
    }
    return usableFamily(family);
}

gp::GpFontFamily* genericSansSerif() {
    gp::GpFontFamily* family = nullptr;
    if (flat::GdipGetGenericFontFamilySansSerif(&family) != gp::Ok) {
        return nullptr;
    }
    return usableFamily(family);
}

// Any face the system has, a sans-serif one if there is one.
gp::GpFontFamily* anyInstalledFamily() {
    gp::GpFontCollection* installed = nullptr;
    INT count = 0;
    if (flat::GdipNewInstalledFontCollection(&installed) != gp::Ok || installed == nullptr ||
        flat::GdipGetFontCollectionFamilyCount(installed, &count) != gp::Ok || count <= 0) {
        return nullptr;
    }
    // The collection's own families, not to be deleted; the one chosen is
    // cloned for the caller.
    std::vector<gp::GpFontFamily*> families(static_cast<size_t>(count));
    INT found = 0;
    if (flat::GdipGetFontCollectionFamilyList(installed, count, families.data(), &found) != gp::Ok) {
        return nullptr;
    }
    gp::GpFontFamily* chosen = nullptr;
    for (INT i = 0; i < std::min(found, count); ++i) {
        const std::wstring name = familyName(families[static_cast<size_t>(i)]);
        if (name.empty() || name[0] == L'@' || treatedAsMissing(name)) {
            continue;
        }
        const bool sans = name.find(L"Sans") != std::wstring::npos && name.find(L"Mono") == std::wstring::npos;
        if (chosen == nullptr || sans) {
            chosen = families[static_cast<size_t>(i)];
        }
        if (sans) {
            break;
        }
    }
    gp::GpFontFamily* family = nullptr;
    if (chosen == nullptr || flat::GdipCloneFontFamily(chosen, &family) != gp::Ok) {
        return nullptr;
    }
    return family;
}

class GdiplusGraphics final : public Graphics {
public:
    explicit GdiplusGraphics(const DrawingTarget* target) {
        if (target == nullptr || target->pixels == nullptr || target->width <= 0 || target->height <= 0) {
            return;
        }
        use_.emplace();
        if (!use_->started()) {
            return;
        }
        const INT stride = static_cast<INT>(target->rowBytes);
        BYTE* first = drawingRowAddress(*target, 0);
        if (flat::GdipCreateBitmapFromScan0(target->width, target->height, target->topDown ? stride : -stride,
                                            PixelFormat32bppPARGB, first, &bitmap_) != gp::Ok) {
            bitmap_ = nullptr;
            return;
        }
        // Font sizes are in points at 96 pixels per inch, whatever the screen says.
        flat::GdipBitmapSetResolution(bitmap_, 96.0f, 96.0f);
        if (flat::GdipGetImageGraphicsContext(bitmap_, &graphics_) != gp::Ok) {
            graphics_ = nullptr;
            return;
        }
        flat::GdipSetSmoothingMode(graphics_, gp::SmoothingModeHighQuality);
        // Pixel (x, y) covers the square from (x, y) to (x + 1, y + 1), so an
        // integer rectangle covers whole pixels, as on the other backend.
        flat::GdipSetPixelOffsetMode(graphics_, gp::PixelOffsetModeHalf);
        // Grey-scale anti-aliasing: ClearType's colour fringes assume an
        // opaque background on a known screen, and this drawing is blended
        // into video.
        flat::GdipSetTextRenderingHint(graphics_, gp::TextRenderingHintAntiAliasGridFit);
        target_ = target;
    }

    ~GdiplusGraphics() override {
        finish();
        if (graphics_ != nullptr) {
            flat::GdipDeleteGraphics(graphics_);
        }
        if (bitmap_ != nullptr) {
            flat::GdipDisposeImage(bitmap_);
        }
    }

    GdiplusGraphics(const GdiplusGraphics&) = delete;
    GdiplusGraphics& operator=(const GdiplusGraphics&) = delete;

    void fillEllipse(const IntRect& bounds, Color colour) override {
        if (target_ == nullptr || bounds.width <= 0 || bounds.height <= 0) {
            return;
        }
        const double left = static_cast<double>(bounds.x);
        const double top = static_cast<double>(bounds.y);
        const double right = left + static_cast<double>(bounds.width);
        const double bottom = top + static_cast<double>(bounds.height);
        const PixelArea area = areaAround(left, top, right, bottom);
        if (area.empty()) {
            return;
        }
        touch(area);
        noteColour(colour);
        const SolidBrush brush(colour);
        if (withinReach(left, top) && withinReach(right, bottom)) {
            flat::GdipFillEllipse(graphics_, brush.get(), static_cast<gp::REAL>(left), static_cast<gp::REAL>(top),
                                  static_cast<gp::REAL>(right - left), static_cast<gp::REAL>(bottom - top));
            return;
        }
        const double radiusX = (right - left) / 2.0;
        const double radiusY = (bottom - top) / 2.0;
        fillClipped(flattenEllipse(left + radiusX, top + radiusY, radiusX, radiusY), brush);
    }

    void fillPolygon(std::span<const PointF> points, Color colour) override {
        if (target_ == nullptr || points.size() < 3) {
            return;
        }
        std::vector<PointD> polygon;
        polygon.reserve(points.size());
        double left = std::numeric_limits<double>::infinity();
        double top = left;
        double right = -left;
        double bottom = -left;
        for (const PointF& point : points) {
            if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
                return;
            }
            polygon.push_back(PointD{point.x, point.y});
            left = std::min(left, static_cast<double>(point.x));
            right = std::max(right, static_cast<double>(point.x));
            top = std::min(top, static_cast<double>(point.y));
            bottom = std::max(bottom, static_cast<double>(point.y));
        }
        const PixelArea area = areaAround(left, top, right, bottom);
        if (area.empty()) {
            return;
        }
        touch(area);
        noteColour(colour);
        fillClipped(polygon, SolidBrush(colour));
    }

    void fillRectangle(const IntRect& rect, Color colour) override {
        if (target_ == nullptr || rect.width <= 0 || rect.height <= 0) {
            return;
        }
        const int64_t left = std::max<int64_t>(rect.x, 0);
        const int64_t top = std::max<int64_t>(rect.y, 0);
        const int64_t right = std::min<int64_t>(saturatingEnd(rect.x, rect.width), target_->width);
        const int64_t bottom = std::min<int64_t>(saturatingEnd(rect.y, rect.height), target_->height);
        if (right <= left || bottom <= top) {
            return;
        }
        touch(PixelArea{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                        static_cast<int32_t>(bottom)});
        noteColour(colour);
        const SolidBrush brush(colour);
        flat::GdipFillRectangleI(graphics_, brush.get(), static_cast<INT>(left), static_cast<INT>(top),
                                 static_cast<INT>(right - left), static_cast<INT>(bottom - top));
    }

    std::unique_ptr<Font> createFont(std::u16string_view faceName, float emSizePoints, int styleBits) override {
        auto font = std::make_unique<GdiplusFont>();
        const double pixels = static_cast<double>(emSizePoints) * kPixelsPerPoint;
        if (target_ == nullptr || !std::isfinite(pixels) || pixels <= 0.0 || pixels > kMaxFontPixels) {
            return font;
        }
        std::wstring name;
        for (const char16_t c : faceName) {
            if (c == 0) {
                break;
            }
            name.push_back(static_cast<wchar_t>(c));
        }
        const double layoutPixels = std::min(pixels, kMaxLayoutPixels);
        font->scale_ = pixels / layoutPixels;
        if (pixels > kMaxLayoutPixels) {
            emSizePoints = static_cast<float>(kMaxLayoutPixels / kPixelsPerPoint);
        }
        const INT style = styleBits & (gp::FontStyleBold | gp::FontStyleItalic | gp::FontStyleUnderline |
                                       gp::FontStyleStrikeout);
        font->use_.emplace();
        // The face asked for, else, as fontconfig's sans-serif does on the
        // other backend, a sans-serif face the system has: GDI+'s generic
        // family (Wine has it only with its own fonts), the face the clock
        // measures with, or, last, any installed face, so that a clock is
        // never drawn without its text.
        using Lookup = gp::GpFontFamily* (*)(const std::wstring&);
        const Lookup chain[] = {
            [](const std::wstring& requested) { return familyNamed(requested); },
            [](const std::wstring&) { return genericSansSerif(); },
            [](const std::wstring&) { return familyNamed(kMeasuringFace); },
            [](const std::wstring&) { return anyInstalledFamily(); },
        };
        for (const Lookup lookup : chain) {
            gp::GpFontFamily* family = lookup(name);
            if (family == nullptr) {
                continue;
            }
            const bool made =
                flat::GdipCreateFont(family, emSizePoints, style, gp::UnitPoint, &font->font_) == gp::Ok;
            flat::GdipDeleteFontFamily(family);
            if (made) {
                break;
            }
            font->font_ = nullptr;
        }
        return font;
    }

    RectF measureString(std::wstring_view text, const Font& font, PointF origin) override {
        const auto* gdiplusFont = dynamic_cast<const GdiplusFont*>(&font);
        if (target_ == nullptr || gdiplusFont == nullptr || !gdiplusFont->usable()) {
            return RectF{};
        }
        const std::wstring_view line = text.substr(0, kMaxTextLength);
        const double scale = gdiplusFont->scale_;
        // A scaled font is measured at the origin; its box is then scaled.
        const gp::RectF layout(scale == 1.0 ? origin.x : 0.0f, scale == 1.0 ? origin.y : 0.0f, 0.0f, 0.0f);
        gp::RectF bounds;
        if (flat::GdipMeasureString(graphics_, line.data(), static_cast<INT>(line.size()), gdiplusFont->font_,
                                    &layout, nullptr, &bounds, nullptr, nullptr) != gp::Ok) {
            return RectF{};
        }
        if (scale != 1.0) {
            return RectF{origin.x, origin.y, static_cast<float>(bounds.Width * scale),
                         static_cast<float>(bounds.Height * scale)};
        }
        return RectF{bounds.X, bounds.Y, bounds.Width, bounds.Height};
    }

    void drawString(std::wstring_view text, const Font& font, const RectF& layoutRect, Color colour) override {
        const auto* gdiplusFont = dynamic_cast<const GdiplusFont*>(&font);
        if (target_ == nullptr || gdiplusFont == nullptr || !gdiplusFont->usable()) {
            return;
        }
        const double left = layoutRect.x;
        const double top = layoutRect.y;
        const double right = left + static_cast<double>(layoutRect.width);
        const double bottom = top + static_cast<double>(layoutRect.height);
        if (!(right > left) || !(bottom > top) || !std::isfinite(right) || !std::isfinite(bottom) ||
            !withinReach(left, top) || !withinReach(right, bottom)) {
            return;
        }
        const PixelArea area = areaAround(left, top, right, bottom);
        if (area.empty()) {
            return;
        }
        touch(area);
        noteColour(colour);
        gp::GpStringFormat* format = nullptr;
        // One line, never wrapped: a line wider than its box is centred on
        // it and clipped, not broken.
        if (flat::GdipCreateStringFormat(gp::StringFormatFlagsNoWrap, LANG_NEUTRAL, &format) != gp::Ok) {
            return;
        }
        flat::GdipSetStringFormatAlign(format, gp::StringAlignmentCenter);
        flat::GdipSetStringFormatLineAlign(format, gp::StringAlignmentCenter);
        const std::wstring_view line = text.substr(0, kMaxTextLength);
        // GDI+ leaves out a line taller or wider than its layout rectangle
        // (Wine entirely, Windows in part), so the line is laid out in a
        // rectangle large enough for it around the same centre, which
        // centres it in the same place, and clipped to the given one.
        gp::RectF needed;
        const gp::RectF origin(0.0f, 0.0f, 0.0f, 0.0f);
        if (flat::GdipMeasureString(graphics_, line.data(), static_cast<INT>(line.size()), gdiplusFont->font_,
                                    &origin, format, &needed, nullptr, nullptr) != gp::Ok) {
            needed = gp::RectF();
        }
        // A scaled font draws through a world transform of its scale; the
        // layout rectangle is given in the font's own units, the clip (set
        // first) stays in pixels.
        const double scale = gdiplusFont->scale_;
        const double width = std::max(right - left, static_cast<double>(needed.Width) * scale);
        const double height = std::max(bottom - top, static_cast<double>(needed.Height) * scale);
        const gp::RectF layout(static_cast<gp::REAL>((left + right - width) / 2.0 / scale),
                               static_cast<gp::REAL>((top + bottom - height) / 2.0 / scale),
                               static_cast<gp::REAL>(width / scale), static_cast<gp::REAL>(height / scale));
        flat::GdipSetClipRect(graphics_, layoutRect.x, layoutRect.y, layoutRect.width, layoutRect.height,
                              gp::CombineModeReplace);
        if (scale != 1.0) {
            flat::GdipScaleWorldTransform(graphics_, static_cast<gp::REAL>(scale), static_cast<gp::REAL>(scale),
                                          gp::MatrixOrderPrepend);
        }
        const SolidBrush brush(colour);
        flat::GdipDrawString(graphics_, line.data(), static_cast<INT>(line.size()), gdiplusFont->font_, &layout,
                             format, brush.get());
        flat::GdipResetWorldTransform(graphics_);
        flat::GdipResetClip(graphics_);
        flat::GdipDeleteStringFormat(format);
    }

    void finish() override {
        if (target_ == nullptr || dirty_.empty()) {
            return;
        }
        flat::GdipFlush(graphics_, gp::FlushIntentionSync);
        unpremultiplyAreaTowards(*target_, dirty_, drawnColours_);
        dirty_ = PixelArea{};
    }

private:
    bool withinReach(double x, double y) const {
        return std::abs(x) < kSafeReach + target_->width && std::abs(y) < kSafeReach + target_->height;
    }

    // The pixels a shape with these bounds may touch, one pixel wider for the
    // anti-aliasing, clipped to the picture.
    PixelArea areaAround(double left, double top, double right, double bottom) const {
        auto clampTo = [](double value, int32_t limit) {
            return static_cast<int32_t>(std::clamp(value, 0.0, static_cast<double>(limit)));
        };
        PixelArea area;
        area.left = clampTo(std::floor(left) - 1.0, target_->width);
        area.top = clampTo(std::floor(top) - 1.0, target_->height);
        area.right = clampTo(std::ceil(right) + 1.0, target_->width);
        area.bottom = clampTo(std::ceil(bottom) + 1.0, target_->height);
        return area;
    }

    // Brings the pixels an operation may reach into premultiplied form, once,
    // and tells the surface they may become non-zero. Pixels the surface
    // knows to be zero are the same in both forms and are not visited.
    void touch(const PixelArea& area) {
        if (contains(dirty_, area)) {
            return;
        }
        const PixelArea grown = unite(dirty_, area);
        const PixelArea& written = target_->written;
        flat::GdipFlush(graphics_, gp::FlushIntentionSync);
        if (dirty_.empty()) {
            premultiplyArea(*target_, intersect(grown, written));
        } else {
            const PixelArea strips[] = {
                {grown.left, grown.top, grown.right, dirty_.top},
                {grown.left, dirty_.bottom, grown.right, grown.bottom},
                {grown.left, dirty_.top, dirty_.left, dirty_.bottom},
                {dirty_.right, dirty_.top, grown.right, dirty_.bottom},
            };
            for (const PixelArea& strip : strips) {
                premultiplyArea(*target_, intersect(strip, written));
            }
        }
        target_->written = unite(written, grown);
        dirty_ = grown;
    }

    // Every colour drawn with, so that finish() can give each translucent
    // pixel back exactly the colour it was drawn in (premultiplying rounds).
    void noteColour(Color colour) {
        constexpr size_t kMaxColours = 16;
        if (colour.alpha() == 0) {
            return;
        }
        // Kept in the order last drawn, which decides between colours that
        // fit a faint pixel equally well.
        const Color rgb{colour.argb & 0x00FFFFFFu};
        const auto known = std::find(drawnColours_.begin(), drawnColours_.end(), rgb);
        if (known != drawnColours_.end()) {
            drawnColours_.erase(known);
        } else if (drawnColours_.size() >= kMaxColours) {
            drawnColours_.erase(drawnColours_.begin());
        }
        drawnColours_.push_back(rgb);
    }

    void fillClipped(const std::vector<PointD>& polygon, const SolidBrush& brush) {
        const ClipBox box{-kClipGuard, -kClipGuard, target_->width + kClipGuard, target_->height + kClipGuard};
        const std::vector<PointD> clipped = clipPolygon(polygon, box);
        if (clipped.size() < 3 || clipped.size() > static_cast<size_t>(std::numeric_limits<INT>::max())) {
            return;
        }
        std::vector<gp::PointF> points;
        points.reserve(clipped.size());
        for (const PointD& point : clipped) {
            points.emplace_back(static_cast<gp::REAL>(point.x), static_cast<gp::REAL>(point.y));
        }
        flat::GdipFillPolygon(graphics_, brush.get(), points.data(), static_cast<INT>(points.size()),
                              gp::FillModeAlternate);
    }

    std::optional<GdiplusUse> use_;
    gp::GpBitmap* bitmap_ = nullptr;
    gp::GpGraphics* graphics_ = nullptr;
    const DrawingTarget* target_ = nullptr;
    std::vector<Color> drawnColours_;
    PixelArea dirty_;
};

}  // namespace

std::unique_ptr<Graphics> createGraphics(const DrawingTarget* target) {
    return std::make_unique<GdiplusGraphics>(target);
}

void releaseDrawingBackend() { shutDownGdiplus(); }

void setFacesTreatedAsMissing(std::vector<std::wstring> faces) { facesTreatedAsMissing() = std::move(faces); }

}  // namespace horavex
