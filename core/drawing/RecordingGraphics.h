// A Graphics that draws nothing and keeps a list of what it was asked to do,
// for checking a clock style's drawing calls against its geometry.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/drawing/Graphics.h"

namespace horavex {

struct FontRequest {
    std::u16string faceName;
    float emSizePoints = 0.0f;
    int styleBits = 0;
};

class RecordedFont final : public Font {
public:
    explicit RecordedFont(FontRequest made) : request(std::move(made)) {}
    bool usable() const noexcept override { return request.emSizePoints > 0.0f; }

    FontRequest request;
};

class RecordingGraphics final : public Graphics {
public:
    enum class Kind { ellipse, polygon, rectangle, text };

    struct Call {
        Kind kind;
        Color colour;
        IntRect rect;                // ellipse and rectangle
        std::vector<PointF> points;  // polygon
        std::wstring text;           // text
        RectF layout;                // text
        FontRequest font;            // text
    };

    struct Measurement {
        std::wstring text;
        FontRequest font;
        PointF origin;
    };

    void fillEllipse(const IntRect& bounds, Color colour) override {
        calls.push_back(Call{Kind::ellipse, colour, bounds, {}, {}, {}, {}});
    }
    void fillPolygon(std::span<const PointF> points, Color colour) override {
        calls.push_back(Call{Kind::polygon, colour, {}, {points.begin(), points.end()}, {}, {}, {}});
    }
    void fillRectangle(const IntRect& rect, Color colour) override {
        calls.push_back(Call{Kind::rectangle, colour, rect, {}, {}, {}, {}});
    }
    std::unique_ptr<Font> createFont(std::u16string_view faceName, float emSizePoints, int styleBits) override {
        fonts.push_back(FontRequest{std::u16string(faceName), emSizePoints, styleBits});
        return std::make_unique<RecordedFont>(fonts.back());
    }
    // Answers every measurement with measuredSize at the origin.
    RectF measureString(std::wstring_view text, const Font& font, PointF origin) override {
        measurements.push_back(Measurement{std::wstring(text), requestOf(font), origin});
        return RectF{origin.x, origin.y, measuredWidth, measuredHeight};
    }
    void drawString(std::wstring_view text, const Font& font, const RectF& layout, Color colour) override {
        calls.push_back(
            Call{Kind::text, colour, {}, {}, std::wstring(text), layout, requestOf(font)});
    }
    void finish() override {}

    float measuredWidth = 0.0f;
    float measuredHeight = 0.0f;
    std::vector<Call> calls;
    std::vector<FontRequest> fonts;
    std::vector<Measurement> measurements;

private:
    static FontRequest requestOf(const Font& font) {
        const auto* recorded = dynamic_cast<const RecordedFont*>(&font);
        return recorded != nullptr ? recorded->request : FontRequest{};
    }
};

}  // namespace horavex
