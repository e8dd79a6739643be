// The Graphics of this platform: Cairo image surfaces laid over the drawing
// surface's memory, text through Pango.
//
// Cairo works in premultiplied colour and the surface keeps straight colour, so
// the area a drawing operation may reach is converted to premultiplied before
// Cairo first touches it and back to straight by finish(). Both passes cover
// only that area, never the whole picture.
//
// A bottom-up surface is handed to Cairo with a negative row stride starting at
// its top drawing row, so Cairo draws exactly as on a top-down picture and no
// row is ever flipped. Cairo's image surfaces are limited in size and its
// fixed-point coordinates in range, so the picture is covered by tiles and every
// shape is brought near the tile before Cairo sees it.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "core/drawing/AlphaConversion.h"
#include "core/drawing/Graphics.h"
#include "core/drawing/PangoTextEngine.h"
#include "core/drawing/PolygonClip.h"
#include "core/drawing/WideText.h"

namespace horavex {
namespace {

constexpr int32_t kTileSize = 16384;
// Cairo's 24.8 fixed point holds about 8.4 million pixels either way; whatever
// reaches Cairo stays within half of that around the tile it draws on.
constexpr double kSafeReach = 4194304.0;
// Shapes are clipped this far outside a tile so that the clip edges never
// touch the tile's own pixels.
constexpr double kClipGuard = 2.0;
// Pango measures in 32-bit units of 1/1024 pixel: a line of 254 characters of
// up to two ems each stays within them at this em size. Larger fonts are laid
// out at this size and scaled up when measured and drawn.
constexpr double kMaxLayoutPixels = 4096.0;
// Beyond this a font is not made at all: no frame shows any of its glyphs.
constexpr double kMaxFontPixels = 1e12;
constexpr double kPixelsPerPoint = 96.0 / 72.0;
// Up to this em size glyphs are drawn from Cairo's glyph cache, so a clock that
// shows the same digits frame after frame rasterises each of them once; larger
// glyphs are filled as outlines, which keeps huge ones out of the cache.
constexpr double kMaxCachedGlyphPixels = 512.0;
// FreeType scales outlines to at most 65,535 pixels per em, and Cairo fails a
// larger font (losing a little memory as it does). Larger glyphs are outlined
// at this size and the outline is scaled the rest of the way; a line of 254
// characters of two ems each still fits Cairo's 24.8 fixed-point paths here.
constexpr double kMaxOutlinePixels = 16384.0;
constexpr double kEllipseTolerance = 0.05;
constexpr size_t kMaxEllipseSegments = size_t{1} << 18;

class CairoFont final : public Font {
public:
    CairoFont() = default;
    ~CairoFont() override {
        if (description_ != nullptr) {
            pango_font_description_free(description_);
        }
    }
    CairoFont(const CairoFont&) = delete;
    CairoFont& operator=(const CairoFont&) = delete;

    bool usable() const noexcept override { return description_ != nullptr; }

    PangoFontDescription* description_ = nullptr;
    double pixelSize_ = 0.0;
    // Drawn size over the size Pango lays the text out at.
    double scale_ = 1.0;
    bool underline_ = false;
    bool strikeout_ = false;
};

// Cairo premultiplies the source through 16 bits and cuts to 8, which can
// land a step below the rounded product. Handing it channels whose product
// with the alpha is exactly the rounded premultiplied byte makes a fill of
// one layer hold exactly what premultiplying the colour gives, so that
// finish() finds the colour again.
void setSource(cairo_t* cr, Color colour) {
    const uint32_t alpha = colour.alpha();
    if (alpha == 0 || alpha == 255) {
        cairo_set_source_rgba(cr, colour.red() / 255.0, colour.green() / 255.0, colour.blue() / 255.0,
                              alpha / 255.0);
        return;
    }
    auto channel = [alpha](uint32_t value) {
        const uint32_t premultiplied = (value * alpha * 2 + 255) / 510;
        return (static_cast<double>(premultiplied) + 0.25 / 257.0) / static_cast<double>(alpha);
    };
    cairo_set_source_rgba(cr, std::min(channel(colour.red()), 1.0), std::min(channel(colour.green()), 1.0),
                          std::min(channel(colour.blue()), 1.0), alpha / 255.0);
}

PixelArea intersect(const PixelArea& a, const PixelArea& b) {
    return PixelArea{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
}

// Start plus a positive length.
int64_t saturatingEnd(int64_t start, int64_t length) {
    int64_t end = 0;
    return __builtin_add_overflow(start, length, &end) ? std::numeric_limits<int64_t>::max() : end;
}

// A layout of one line (or several, at line breaks), centred line by line.
PangoLayout* makeLayout(PangoContext* context, const CairoFont& font, const std::string& utf8) {
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font.description_);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    if (font.underline_ || font.strikeout_) {
        PangoAttrList* attributes = pango_attr_list_new();
        if (font.underline_) {
            pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        }
        if (font.strikeout_) {
            pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
        }
        pango_layout_set_attributes(layout, attributes);
        pango_attr_list_unref(attributes);
    }
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    return layout;
}

class CairoGraphics final : public Graphics {
public:
    explicit CairoGraphics(const DrawingTarget* target) : target_(target) {
        if (target_ != nullptr && target_->pixels != nullptr) {
            columns_ = (target_->width - 1) / kTileSize + 1;
            rows_ = (target_->height - 1) / kTileSize + 1;
            tiles_.resize(static_cast<size_t>(columns_) * static_cast<size_t>(rows_));
        } else {
            target_ = nullptr;
        }
    }

    ~CairoGraphics() override {
        finish();
        if (measured_.layout != nullptr || measured_.description != nullptr) {
            std::lock_guard<std::mutex> guard(PangoTextEngine::instance().lock());
            dropMeasuredLayout();
        }
        for (Tile& tile : tiles_) {
            if (tile.cr != nullptr) {
                cairo_destroy(tile.cr);
                cairo_surface_destroy(tile.surface);
            }
        }
    }

    CairoGraphics(const CairoGraphics&) = delete;
    CairoGraphics& operator=(const CairoGraphics&) = delete;

    void fillEllipse(const IntRect& bounds, Color colour) override {
        noteColour(colour);
        if (target_ == nullptr || bounds.width <= 0 || bounds.height <= 0) {
            return;
        }
        const double left = static_cast<double>(bounds.x);
        const double top = static_cast<double>(bounds.y);
        const double radiusX = static_cast<double>(bounds.width) / 2.0;
        const double radiusY = static_cast<double>(bounds.height) / 2.0;
        const double centreX = left + radiusX;
        const double centreY = top + radiusY;
        const PixelArea area = areaAround(left, top, left + 2.0 * radiusX, top + 2.0 * radiusY);
        if (area.empty()) {
            return;
        }
        touch(area);
        std::vector<PointD> outline;
        forEachTile(area, [&](Tile& tile) {
            const bool inReach = std::abs(left - tile.x) < kSafeReach && std::abs(top - tile.y) < kSafeReach &&
                                 std::abs(left + 2.0 * radiusX - tile.x) < kSafeReach &&
                                 std::abs(top + 2.0 * radiusY - tile.y) < kSafeReach;
            if (inReach) {
                cairo_new_path(tile.cr);
                cairo_save(tile.cr);
                cairo_translate(tile.cr, centreX, centreY);
                cairo_scale(tile.cr, radiusX, radiusY);
                cairo_arc(tile.cr, 0.0, 0.0, 1.0, 0.0, 2.0 * std::numbers::pi);
                cairo_restore(tile.cr);
                setSource(tile.cr, colour);
                cairo_set_fill_rule(tile.cr, CAIRO_FILL_RULE_WINDING);
                cairo_fill(tile.cr);
                return;
            }
            if (outline.empty()) {
                outline = flattenEllipse(centreX, centreY, radiusX, radiusY);
            }
            fillClipped(tile, outline, colour, CAIRO_FILL_RULE_WINDING);
        });
    }

    void fillPolygon(std::span<const PointF> points, Color colour) override {
        noteColour(colour);
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
        forEachTile(area, [&](Tile& tile) { fillClipped(tile, polygon, colour, CAIRO_FILL_RULE_EVEN_ODD); });
    }

    void fillRectangle(const IntRect& rect, Color colour) override {
        noteColour(colour);
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
        const PixelArea area{static_cast<int32_t>(left), static_cast<int32_t>(top),
                             static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
        touch(area);
        forEachTile(area, [&](Tile& tile) {
            cairo_new_path(tile.cr);
            cairo_rectangle(tile.cr, static_cast<double>(left), static_cast<double>(top),
                            static_cast<double>(right - left), static_cast<double>(bottom - top));
            setSource(tile.cr, colour);
            cairo_fill(tile.cr);
        });
    }

    std::unique_ptr<Font> createFont(std::u16string_view faceName, float emSizePoints,
                                     int styleBits) override {
        auto font = std::make_unique<CairoFont>();
        const double pixels = static_cast<double>(emSizePoints) * kPixelsPerPoint;
        if (!std::isfinite(pixels) || pixels <= 0.0 || pixels > kMaxFontPixels) {
            return font;
        }
        PangoTextEngine& engine = PangoTextEngine::instance();
        const std::string family = engine.usableFamily(utf8FromUtf16(faceName));
        const double layoutPixels = std::min(pixels, kMaxLayoutPixels);
        {
            std::lock_guard<std::mutex> guard(engine.lock());
            engine.noteFace(family, layoutPixels);
        }
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, family.c_str());
        pango_font_description_set_absolute_size(description, layoutPixels * PANGO_SCALE);
        pango_font_description_set_weight(description, (styleBits & kFontStyleBold) != 0
                                                            ? PANGO_WEIGHT_BOLD
                                                            : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_style(description, (styleBits & kFontStyleItalic) != 0
                                                           ? PANGO_STYLE_ITALIC
                                                           : PANGO_STYLE_NORMAL);
        font->description_ = description;
        font->pixelSize_ = pixels;
        font->scale_ = pixels / layoutPixels;
        font->underline_ = (styleBits & kFontStyleUnderline) != 0;
        font->strikeout_ = (styleBits & kFontStyleStrikeout) != 0;
        return font;
    }

    RectF measureString(std::wstring_view text, const Font& font, PointF origin) override {
        const auto* cairoFont = dynamic_cast<const CairoFont*>(&font);
        if (target_ == nullptr || cairoFont == nullptr || !cairoFont->usable()) {
            return RectF{};
        }
        const std::string utf8 = utf8FromWide(text.substr(0, kMaxTextLength));
        PangoTextEngine& engine = PangoTextEngine::instance();
        std::lock_guard<std::mutex> guard(engine.lock());
        PangoLayout* layout = makeLayout(engine.context(), *cairoFont, utf8);
        PangoRectangle logical{};
        pango_layout_get_extents(layout, nullptr, &logical);
        keepMeasuredLayout(layout, *cairoFont, utf8);
        const double scale = cairoFont->scale_ / PANGO_SCALE;
        return RectF{origin.x, origin.y, static_cast<float>(logical.width * scale),
                     static_cast<float>(logical.height * scale)};
    }

    void drawString(std::wstring_view text, const Font& font, const RectF& layoutRect,
                    Color colour) override {
        noteColour(colour);
        const auto* cairoFont = dynamic_cast<const CairoFont*>(&font);
        if (target_ == nullptr || cairoFont == nullptr || !cairoFont->usable()) {
            return;
        }
        const double left = layoutRect.x;
        const double top = layoutRect.y;
        const double right = left + static_cast<double>(layoutRect.width);
        const double bottom = top + static_cast<double>(layoutRect.height);
        if (!(right > left) || !(bottom > top) || !std::isfinite(right) || !std::isfinite(bottom)) {
            return;
        }
        const PixelArea area = areaAround(left, top, right, bottom);
        if (area.empty()) {
            return;
        }
        const std::string utf8 = utf8FromWide(text.substr(0, kMaxTextLength));
        touch(area);
        PangoTextEngine& engine = PangoTextEngine::instance();
        std::lock_guard<std::mutex> guard(engine.lock());
        PangoLayout* layout = measuredLayout(*cairoFont, utf8);
        if (layout == nullptr) {
            layout = makeLayout(engine.context(), *cairoFont, utf8);
        }
        PangoRectangle logical{};
        pango_layout_get_extents(layout, nullptr, &logical);
        const double scale = cairoFont->scale_;
        const double textWidth = static_cast<double>(logical.width) * scale / PANGO_SCALE;
        const double textHeight = static_cast<double>(logical.height) * scale / PANGO_SCALE;
        const double originX =
            left + (right - left - textWidth) / 2.0 - static_cast<double>(logical.x) * scale / PANGO_SCALE;
        const double originY =
            top + (bottom - top - textHeight) / 2.0 - static_cast<double>(logical.y) * scale / PANGO_SCALE;
        cairo_path_t* outline = nullptr;
        if (cairoFont->pixelSize_ > kMaxOutlinePixels) {
            outline = outlineOf(layout, scale * kMaxOutlinePixels / cairoFont->pixelSize_);
        }
        forEachTile(area, [&](Tile& tile) {
            const double reach = std::max({std::abs(originX - tile.x), std::abs(originY - tile.y),
                                           std::abs(originX + textWidth - tile.x),
                                           std::abs(originY + textHeight - tile.y)});
            if (!(reach < kSafeReach)) {
                return;
            }
            const double clipLeft = std::max(left, tile.x - kClipGuard);
            const double clipTop = std::max(top, tile.y - kClipGuard);
            const double clipRight = std::min(right, tile.x + tile.width + kClipGuard);
            const double clipBottom = std::min(bottom, tile.y + tile.height + kClipGuard);
            cairo_save(tile.cr);
            cairo_new_path(tile.cr);
            cairo_rectangle(tile.cr, clipLeft, clipTop, clipRight - clipLeft, clipBottom - clipTop);
            cairo_clip(tile.cr);
            setSource(tile.cr, colour);
            if (cairoFont->pixelSize_ <= kMaxCachedGlyphPixels) {
                cairo_move_to(tile.cr, originX, originY);
                pango_cairo_show_layout(tile.cr, layout);
            } else {
                cairo_translate(tile.cr, originX, originY);
                cairo_scale(tile.cr, scale, scale);
                if (outline != nullptr) {
                    // A failed copy is not appended: it would put the tile in
                    // an error state for good.
                    cairo_new_path(tile.cr);
                    if (outline->status == CAIRO_STATUS_SUCCESS) {
                        cairo_append_path(tile.cr, outline);
                    }
                } else {
                    cairo_move_to(tile.cr, 0.0, 0.0);
                    pango_cairo_layout_path(tile.cr, layout);
                }
                cairo_identity_matrix(tile.cr);
                cairo_set_fill_rule(tile.cr, CAIRO_FILL_RULE_WINDING);
                cairo_fill(tile.cr);
            }
            cairo_restore(tile.cr);
        });
        if (outline != nullptr) {
            cairo_path_destroy(outline);
        }
        g_object_unref(layout);
    }

    void finish() override {
        if (target_ == nullptr || dirty_.empty()) {
            return;
        }
        flushTiles();
        unpremultiplyAreaTowards(*target_, dirty_, drawnColours_);
        markTilesDirty();
        dirty_ = PixelArea{};
    }

private:
    // Text is measured before it is drawn, mostly in the same font: the
    // layout measured last is kept (called with the text engine locked) so
    // that it is not shaped twice.
    void keepMeasuredLayout(PangoLayout* layout, const CairoFont& font, const std::string& utf8) {
        dropMeasuredLayout();
        measured_.layout = layout;
        measured_.text = utf8;
        measured_.description = pango_font_description_copy(font.description_);
        measured_.underline = font.underline_;
        measured_.strikeout = font.strikeout_;
    }

    // The kept layout, handed over, when it holds this text in this font.
    PangoLayout* measuredLayout(const CairoFont& font, const std::string& utf8) {
        if (measured_.layout == nullptr || measured_.description == nullptr || measured_.text != utf8 ||
            measured_.underline != font.underline_ || measured_.strikeout != font.strikeout_ ||
            !pango_font_description_equal(measured_.description, font.description_)) {
            return nullptr;
        }
        PangoLayout* layout = measured_.layout;
        measured_.layout = nullptr;
        dropMeasuredLayout();
        return layout;
    }

    void dropMeasuredLayout() {
        if (measured_.layout != nullptr) {
            g_object_unref(measured_.layout);
            measured_.layout = nullptr;
        }
        if (measured_.description != nullptr) {
            pango_font_description_free(measured_.description);
            measured_.description = nullptr;
        }
        measured_.text.clear();
    }

    // The glyph outlines of a layout in its own units, traced at `scale`
    // pixels per unit. The surface has no bounds: on a bounded one Cairo
    // drops glyphs more than ten ems away from it, and here an em is smaller
    // than in the picture.
    static cairo_path_t* outlineOf(PangoLayout* layout, double scale) {
        cairo_surface_t* unbounded = cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr);
        cairo_t* cr = cairo_create(unbounded);
        cairo_scale(cr, scale, scale);
        cairo_move_to(cr, 0.0, 0.0);
        pango_cairo_layout_path(cr, layout);
        cairo_path_t* outline = cairo_copy_path(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(unbounded);
        return outline;
    }

    struct Tile {
        cairo_surface_t* surface = nullptr;
        cairo_t* cr = nullptr;
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
    };

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

    Tile& tileAt(int32_t column, int32_t row) {
        Tile& tile = tiles_[static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column)];
        if (tile.cr == nullptr) {
            tile.x = column * kTileSize;
            tile.y = row * kTileSize;
            tile.width = std::min(kTileSize, target_->width - tile.x);
            tile.height = std::min(kTileSize, target_->height - tile.y);
            const int rowBytes = static_cast<int>(target_->rowBytes);
            uint8_t* first = drawingRowAddress(*target_, tile.y) + static_cast<size_t>(tile.x) * 4;
            tile.surface = cairo_image_surface_create_for_data(first, CAIRO_FORMAT_ARGB32, tile.width,
                                                               tile.height,
                                                               target_->topDown ? rowBytes : -rowBytes);
            cairo_surface_set_device_offset(tile.surface, -tile.x, -tile.y);
            tile.cr = cairo_create(tile.surface);
            cairo_set_antialias(tile.cr, CAIRO_ANTIALIAS_BEST);
            cairo_set_operator(tile.cr, CAIRO_OPERATOR_OVER);
        }
        return tile;
    }

    template <typename Draw>
    void forEachTile(const PixelArea& area, Draw draw) {
        for (int32_t row = area.top / kTileSize; row <= (area.bottom - 1) / kTileSize; ++row) {
            for (int32_t column = area.left / kTileSize; column <= (area.right - 1) / kTileSize; ++column) {
                draw(tileAt(column, row));
            }
        }
    }

    void flushTiles() {
        for (Tile& tile : tiles_) {
            if (tile.surface != nullptr) {
                cairo_surface_flush(tile.surface);
            }
        }
    }

    void markTilesDirty() {
        for (Tile& tile : tiles_) {
            if (tile.surface != nullptr) {
                cairo_surface_mark_dirty(tile.surface);
            }
        }
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
        flushTiles();
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
        markTilesDirty();
        target_->written = unite(written, grown);
        dirty_ = grown;
    }

    void fillClipped(Tile& tile, const std::vector<PointD>& polygon, Color colour,
                     cairo_fill_rule_t rule) {
        const ClipBox box{tile.x - kClipGuard, tile.y - kClipGuard, tile.x + tile.width + kClipGuard,
                          tile.y + tile.height + kClipGuard};
        const std::vector<PointD> clipped = clipPolygon(polygon, box);
        if (clipped.size() < 3) {
            return;
        }
        cairo_new_path(tile.cr);
        cairo_move_to(tile.cr, clipped.front().x, clipped.front().y);
        for (size_t i = 1; i < clipped.size(); ++i) {
            cairo_line_to(tile.cr, clipped[i].x, clipped[i].y);
        }
        cairo_close_path(tile.cr);
        setSource(tile.cr, colour);
        cairo_set_fill_rule(tile.cr, rule);
        cairo_fill(tile.cr);
    }

    // An outline close enough to the ellipse for an ellipse too large to hand
    // to Cairo as a curve.
    static std::vector<PointD> flattenEllipse(double centreX, double centreY, double radiusX, double radiusY) {
        const double radius = std::max(radiusX, radiusY);
        const double wanted = std::ceil(std::numbers::pi * std::sqrt(radius / (2.0 * kEllipseTolerance)));
        const size_t segments =
            static_cast<size_t>(std::clamp(wanted, 64.0, static_cast<double>(kMaxEllipseSegments)));
        std::vector<PointD> outline(segments);
        for (size_t i = 0; i < segments; ++i) {
            const double angle = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(segments);
            outline[i] = PointD{centreX + radiusX * std::cos(angle), centreY + radiusY * std::sin(angle)};
        }
        return outline;
    }

    struct MeasuredLayout {
        PangoLayout* layout = nullptr;
        std::string text;
        PangoFontDescription* description = nullptr;
        bool underline = false;
        bool strikeout = false;
    } measured_;
    // Every colour drawn with, so that finish() can give each translucent
    // pixel back exactly the colour it was drawn in.
    void noteColour(Color colour) {
        // Opaque colours count too: their anti-aliased edges are translucent.
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

    const DrawingTarget* target_;
    std::vector<Color> drawnColours_;
    int32_t columns_ = 0;
    int32_t rows_ = 0;
    std::vector<Tile> tiles_;
    PixelArea dirty_;
};

}  // namespace

std::unique_ptr<Graphics> createGraphics(const DrawingTarget* target) {
    return std::make_unique<CairoGraphics>(target);
}

// Cairo and Pango need no start-up; the fonts stay ready for a next load.
void releaseDrawingBackend() {}

}  // namespace horavex
