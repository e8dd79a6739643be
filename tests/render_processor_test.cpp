#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <vector>

#include "core/compositing/InkRuns.h"
#include "core/compositing/PixelAddress.h"
#include "core/compositing/Processor.h"
#include "core/compositing/SurfaceRuns.h"

// Exact, bitwise pixel equality (a float NaN equals itself, -0 differs from +0).
inline bool operator==(const OfxRGBAColourB& a, const OfxRGBAColourB& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}
inline bool operator==(const OfxRGBAColourS& a, const OfxRGBAColourS& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}
inline bool operator==(const OfxRGBAColourF& a, const OfxRGBAColourF& b) {
    return std::bit_cast<uint32_t>(a.r) == std::bit_cast<uint32_t>(b.r) &&
           std::bit_cast<uint32_t>(a.g) == std::bit_cast<uint32_t>(b.g) &&
           std::bit_cast<uint32_t>(a.b) == std::bit_cast<uint32_t>(b.b) &&
           std::bit_cast<uint32_t>(a.a) == std::bit_cast<uint32_t>(b.a);
}
inline void PrintTo(const OfxRGBAColourB& p, std::ostream* os) {
    *os << "(" << int{p.r} << ", " << int{p.g} << ", " << int{p.b} << ", " << int{p.a} << ")";
}
inline void PrintTo(const OfxRGBAColourS& p, std::ostream* os) {
    *os << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}
inline void PrintTo(const OfxRGBAColourF& p, std::ostream* os) {
    os->precision(9);
    *os << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

namespace horavex {
namespace {

using B = OfxRGBAColourB;
using S = OfxRGBAColourS;
using F = OfxRGBAColourF;

enum class RowOrder { Upward, Downward };

// An image whose memory is exactly its rows, so AddressSanitizer reports any
// access outside it. Downward images have negative row bytes.
template <typename PIX>
class TestImage {
public:
    explicit TestImage(OfxRectI bounds, RowOrder order = RowOrder::Upward)
        : bounds_(bounds),
          width_(bounds.x2 - bounds.x1),
          height_(bounds.y2 - bounds.y1),
          stride_(static_cast<std::size_t>(width_) * sizeof(PIX)),
          order_(order),
          memory_(new unsigned char[stride_ * static_cast<std::size_t>(height_)]) {
        std::memset(memory_.get(), 0xAB, stride_ * static_cast<std::size_t>(height_));
    }

    OfxRectI bounds() const { return bounds_; }
    int rowBytes() const {
        const int stride = static_cast<int>(stride_);
        return order_ == RowOrder::Upward ? stride : -stride;
    }
    void* data() { return rowStart(0); }
    const void* data() const { return const_cast<TestImage*>(this)->rowStart(0); }

    PIX get(int x, int y) const {
        PIX value;
        std::memcpy(&value, const_cast<TestImage*>(this)->at(x, y), sizeof value);
        return value;
    }
    void set(int x, int y, const PIX& value) { std::memcpy(at(x, y), &value, sizeof value); }

    template <typename Fn>
    void fillWith(Fn pixelAt) {
        for (int y = bounds_.y1; y < bounds_.y2; ++y) {
            for (int x = bounds_.x1; x < bounds_.x2; ++x) {
                set(x, y, pixelAt(x, y));
            }
        }
    }
    std::vector<unsigned char> bytes() const {
        const auto* p = memory_.get();
        return std::vector<unsigned char>(p, p + stride_ * static_cast<std::size_t>(height_));
    }

private:
    unsigned char* rowStart(int row) {
        const int memoryRow = order_ == RowOrder::Upward ? row : height_ - 1 - row;
        return memory_.get() + static_cast<std::size_t>(memoryRow) * stride_;
    }
    unsigned char* at(int x, int y) {
        EXPECT_TRUE(rectContains(bounds_, x, y)) << x << "," << y;
        return rowStart(y - bounds_.y1) + static_cast<std::size_t>(x - bounds_.x1) * sizeof(PIX);
    }

    OfxRectI bounds_;
    int width_;
    int height_;
    std::size_t stride_;
    RowOrder order_;
    std::unique_ptr<unsigned char[]> memory_;
};

// The drawing surface: bytes blue, green, red, alpha; all zero until drawn.
// Row bytes may be set smaller than width * 4 to model a narrower surface.
class TestSurface {
public:
    TestSurface(int width, int height, int rowBytes = -1)
        : width_(width),
          height_(height),
          rowBytes_(rowBytes < 0 ? width * 4 : rowBytes),
          memory_(new unsigned char[static_cast<std::size_t>(rowBytes_) * height]()) {}

    void set(int column, int row, unsigned char red, unsigned char green, unsigned char blue,
             unsigned char alpha) {
        ASSERT_TRUE(column >= 0 && row >= 0 && row < height_ && column * 4 < rowBytes_);
        unsigned char* p = memory_.get() + static_cast<std::size_t>(row) * rowBytes_ + column * 4;
        p[0] = blue;
        p[1] = green;
        p[2] = red;
        p[3] = alpha;
    }
    const unsigned char* bits() const { return memory_.get(); }
    int rowBytes() const { return rowBytes_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    int rowBytes_;
    std::unique_ptr<unsigned char[]> memory_;
};

template <typename PIX>
struct Traits;

template <>
struct Traits<B> {
    using Processor = ProcessRGBA8;
    // The output of a surface pixel with alpha 255.
    static B opaque(int r, int g, int b) {
        return B{static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                 static_cast<unsigned char>(b), 255};
    }
    static B pattern(int x, int y) {
        const auto u = static_cast<unsigned>(x);
        const auto v = static_cast<unsigned>(y);
        return B{static_cast<unsigned char>(u * 13 + v * 7 + 1), static_cast<unsigned char>(u * 3 + v * 11 + 2),
                 static_cast<unsigned char>(u + v * 5 + 3), static_cast<unsigned char>(u * 5 + v + 4)};
    }
};

template <>
struct Traits<S> {
    using Processor = ProcessRGBA16;
    static S opaque(int r, int g, int b) {
        return S{static_cast<unsigned short>(257 * r), static_cast<unsigned short>(257 * g),
                 static_cast<unsigned short>(257 * b), 65535};
    }
    static S pattern(int x, int y) {
        const auto u = static_cast<unsigned>(x);
        const auto v = static_cast<unsigned>(y);
        return S{static_cast<unsigned short>(u * 1301 + v * 707 + 1),
                 static_cast<unsigned short>(u * 333 + v * 1111 + 2),
                 static_cast<unsigned short>(u * 17 + v * 5003 + 3),
                 static_cast<unsigned short>(u * 5 + v * 40000 + 4)};
    }
};

template <>
struct Traits<F> {
    using Processor = ProcessRGBAFloat;
    static F opaque(int r, int g, int b) {
        return F{static_cast<float>(r / 255.0), static_cast<float>(g / 255.0),
                 static_cast<float>(b / 255.0), 1.0f};
    }
    static F pattern(int x, int y) {
        return F{0.01f * static_cast<float>(x) + 0.5f * static_cast<float>(y), -0.25f * static_cast<float>(x),
                 3.5f + static_cast<float>(y), 0.125f * (static_cast<float>(x) + static_cast<float>(y))};
    }
};

struct Options {
    OfxRectI drawRect{0, 0, 0, 0};
    bool useKey = false;
    OfxRGBAColourB key{0, 0, 0, 0};
    AbortPoll abort;
};

template <typename PIX>
typename Traits<PIX>::Processor makeProcessor(const TestSurface* surface, const TestImage<PIX>* source,
                                              TestImage<PIX>& output, OfxRectI renderWindow,
                                              const Options& options) {
    return typename Traits<PIX>::Processor(
        options.abort, options.useKey, options.drawRect, options.key,
        surface != nullptr ? surface->bits() : nullptr, source != nullptr ? source->data() : nullptr,
        source != nullptr ? source->bounds() : OfxRectI{0, 0, 0, 0},
        source != nullptr ? source->rowBytes() : 0, output.data(), output.bounds(), output.rowBytes(),
        surface != nullptr ? surface->rowBytes() : 0, renderWindow);
}

template <typename PIX>
void composite(const TestSurface* surface, const TestImage<PIX>* source, TestImage<PIX>& output,
               OfxRectI renderWindow, const Options& options) {
    makeProcessor(surface, source, output, renderWindow, options).run();
}

// One pixel through a 1x1 window: surface (red, green, blue, alpha) over the
// given source pixel, or over nothing.
template <typename PIX>
PIX compositeOne(unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha,
                 const PIX* sourcePixel, bool useKey = false, OfxRGBAColourB key = {0, 0, 0, 0}) {
    const OfxRectI rect{0, 0, 1, 1};
    TestSurface surface(1, 1);
    surface.set(0, 0, red, green, blue, alpha);
    TestImage<PIX> source(rect);
    if (sourcePixel != nullptr) {
        source.set(0, 0, *sourcePixel);
    }
    TestImage<PIX> output(rect);
    Options options;
    options.drawRect = rect;
    options.useKey = useKey;
    options.key = key;
    composite(&surface, sourcePixel != nullptr ? &source : nullptr, output, rect, options);
    return output.get(0, 0);
}

// ---------------------------------------------------------------------------
// Pixel arithmetic, to the bit.

TEST(ProcessorArithmetic, EightBitBlendOfHalfTransparentDrawing) {
    const B source{10, 20, 30, 40};
    EXPECT_EQ(compositeOne<B>(200, 100, 0, 128, &source), (B{105, 60, 14, 255}));
}

TEST(ProcessorArithmetic, SixteenBitBlendScalesTheDrawingBy257) {
    const S source{1000, 30000, 65535, 7};
    EXPECT_EQ(compositeOne<S>(200, 100, 0, 128, &source), (S{26298, 27841, 32638, 65535}));
}

TEST(ProcessorArithmetic, FloatBlendMixesDoubleAndSinglePrecision) {
    const F source{0.1f, 0.5f, 1.0f, 0.25f};
    EXPECT_EQ(compositeOne<F>(200, 100, 0, 128, &source),
              (F{0.443498671f, 0.445866972f, 0.498039186f, 1.0f}));
}

TEST(ProcessorArithmetic, SourceAlphaNeverEntersTheBlend) {
    const B opaqueSource{10, 20, 30, 255};
    const B clearSource{10, 20, 30, 0};
    EXPECT_EQ(compositeOne<B>(90, 80, 70, 60, &opaqueSource),
              compositeOne<B>(90, 80, 70, 60, &clearSource));
    const F floatOpaque{0.3f, 0.6f, 0.9f, 1.0f};
    const F floatClear{0.3f, 0.6f, 0.9f, 0.0f};
    EXPECT_EQ(compositeOne<F>(90, 80, 70, 60, &floatOpaque),
              compositeOne<F>(90, 80, 70, 60, &floatClear));
}

TEST(ProcessorArithmetic, OpaqueDrawingOverNonFiniteFloatSourceIsTheDrawing) {
    const F source{std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                   -std::numeric_limits<float>::infinity(), 0.5f};
    EXPECT_EQ(compositeOne<F>(255, 51, 0, 255, &source), (F{1.0f, 0.2f, 0.0f, 1.0f}));
}

TEST(ProcessorArithmetic, EightBitCopyWithoutSource) {
    EXPECT_EQ(compositeOne<B>(30, 20, 10, 255, nullptr), (B{30, 20, 10, 255}));
}

TEST(ProcessorArithmetic, SixteenBitCopyOfAllOnesIsFullScale) {
    EXPECT_EQ(compositeOne<S>(255, 255, 255, 255, nullptr), (S{65535, 65535, 65535, 65535}));
}

TEST(ProcessorArithmetic, FloatCopyAlphaIsSinglePrecisionQuotient) {
    const F out = compositeOne<F>(255, 0, 0, 51, nullptr);
    EXPECT_EQ(out.a, 0.2f);
    EXPECT_EQ(out.r, 0.2f);  // premultiplied: 1.0 x 0.2
}

TEST(ProcessorArithmetic, CopyOfPartlyTransparentDrawingIsPremultiplied) {
    EXPECT_EQ(compositeOne<B>(200, 100, 0, 128, nullptr), (B{100, 50, 0, 128}));
    EXPECT_EQ(compositeOne<S>(200, 100, 0, 128, nullptr), (S{25801, 12900, 0, 32896}));
    EXPECT_EQ(compositeOne<F>(200, 100, 0, 128, nullptr),
              (F{0.393694758f, 0.196847379f, 0.0f, 0.501960814f}));
    // Never a colour above its alpha, the rounding included.
    EXPECT_EQ(compositeOne<B>(255, 254, 1, 1, nullptr), (B{1, 1, 0, 1}));
    EXPECT_EQ(compositeOne<B>(128, 127, 2, 1, nullptr), (B{1, 0, 0, 1}));
}

TEST(ProcessorArithmetic, CopyMatchesStraightCopyForEveryOpaqueColour) {
    for (int c = 0; c < 256; ++c) {
        const auto v = static_cast<unsigned char>(c);
        ASSERT_EQ(compositeOne<B>(v, 255 - c, v, 255, nullptr), Traits<B>::opaque(c, 255 - c, c));
        ASSERT_EQ(compositeOne<S>(v, 255 - c, v, 255, nullptr), Traits<S>::opaque(c, 255 - c, c));
        ASSERT_EQ(compositeOne<F>(v, 255 - c, v, 255, nullptr), Traits<F>::opaque(c, 255 - c, c));
    }
}

TEST(ProcessorArithmetic, IntegerBlendsStayInRangeForExtremeSources) {
    const B white{255, 255, 255, 255};
    const S fullScale{65535, 65535, 65535, 65535};
    for (int alpha = 1; alpha < 256; ++alpha) {
        const auto a = static_cast<unsigned char>(alpha);
        const B eight = compositeOne<B>(255, 255, 255, a, &white);
        ASSERT_GE(eight.r, 254) << alpha;
        const S sixteen = compositeOne<S>(255, 255, 255, a, &fullScale);
        ASSERT_GE(sixteen.r, 65534) << alpha;
    }
}

// ---------------------------------------------------------------------------
// What each pixel of the window becomes, for the three classes.

template <typename PIX>
class ProcessorRules : public ::testing::Test {};
using PixelTypes = ::testing::Types<B, S, F>;
TYPED_TEST_SUITE(ProcessorRules, PixelTypes);

TYPED_TEST(ProcessorRules, OpaqueDrawingCoversAnySource) {
    using T = Traits<TypeParam>;
    const TypeParam zero{};
    const TypeParam sample = T::pattern(5, 3);
    for (const TypeParam& source : {zero, sample}) {
        EXPECT_EQ(compositeOne<TypeParam>(30, 20, 10, 255, &source), T::opaque(30, 20, 10));
    }
}

TYPED_TEST(ProcessorRules, OutsideTheDrawingTheSourcePassesThroughUnchanged) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 6, 4};
    TestSurface surface(6, 4);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 6; ++i) {
            surface.set(i, j, 1, 2, 3, 255);  // drawn everywhere, consulted only inside drawRect
        }
    }
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = {2, 1, 4, 3};
    composite(&surface, &source, output, rect, options);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = rectContains(options.drawRect, x, y);
            EXPECT_EQ(output.get(x, y), inside ? T::opaque(1, 2, 3) : T::pattern(x, y)) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorRules, OpaqueRunsOfAnyLengthEndAtTheFirstTranslucentPixel) {
    using T = Traits<TypeParam>;
    const TypeParam translucentOverBlack = compositeOne<TypeParam>(9, 8, 7, 254, nullptr);
    for (int length = 0; length <= 20; ++length) {
        for (int offset = 0; offset < 2; ++offset) {
            const int width = offset + length + 2;
            const OfxRectI rect{0, 0, width, 1};
            TestSurface surface(width, 1);
            for (int i = offset; i < offset + length; ++i) {
                surface.set(i, 0, static_cast<unsigned char>(i), 50, static_cast<unsigned char>(200 - i), 255);
            }
            surface.set(offset + length, 0, 9, 8, 7, 254);
            TestImage<TypeParam> output(rect);
            Options options;
            options.drawRect = rect;
            composite<TypeParam>(&surface, nullptr, output, rect, options);
            for (int i = 0; i < width; ++i) {
                TypeParam expected{};
                if (i >= offset && i < offset + length) {
                    expected = T::opaque(i, 50, 200 - i);
                } else if (i == offset + length) {
                    expected = translucentOverBlack;
                }
                ASSERT_EQ(output.get(i, 0), expected) << length << " " << offset << " " << i;
            }
        }
    }
}

TYPED_TEST(ProcessorRules, UndrawnPixelsInsideTheDrawingShowTheSource) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 9, 2};
    TestSurface surface(9, 2);
    surface.set(4, 0, 9, 9, 9, 255);
    surface.set(5, 1, 7, 7, 7, 0);  // colour without alpha: still undrawn
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = rect;
    composite(&surface, &source, output, rect, options);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 9; ++x) {
            const bool drawn = x == 4 && y == 0;
            EXPECT_EQ(output.get(x, y), drawn ? T::opaque(9, 9, 9) : T::pattern(x, y)) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorRules, WithoutSourceEverythingButTheDrawingIsTransparentBlack) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 4, 3};
    TestSurface surface(4, 3);
    surface.set(1, 1, 30, 20, 10, 255);
    surface.set(0, 0, 30, 20, 10, 255);  // outside drawRect: ignored
    surface.set(2, 1, 7, 8, 9, 0);       // undrawn
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = {1, 1, 3, 3};
    options.useKey = true;  // nothing to reveal without a source
    options.key = {30, 20, 10, 255};
    composite<TypeParam>(&surface, nullptr, output, rect, options);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const TypeParam expected = (x == 1 && y == 1) ? T::opaque(30, 20, 10) : TypeParam{};
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorRules, KeyingPunchesOutDrawingOfTheKeyColour) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 8, 1};
    TestSurface surface(8, 1);
    surface.set(0, 0, 31, 20, 10, 255);  // one step off in each channel
    surface.set(1, 0, 30, 20, 10, 255);  // key colour, opaque, right after drawing
    surface.set(2, 0, 30, 20, 10, 77);   // key colour, translucent
    surface.set(3, 0, 30, 20, 10, 0);    // key colour bytes on an undrawn pixel
    surface.set(4, 0, 30, 21, 10, 255);
    surface.set(5, 0, 30, 20, 11, 255);
    surface.set(6, 0, 10, 20, 30, 255);  // same bytes in the other order
    surface.set(7, 0, 30, 20, 10, 255);
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    Options options;
    options.drawRect = rect;
    options.useKey = true;
    options.key = {30, 20, 10, 99};  // alpha is not compared

    TestImage<TypeParam> keyed(rect);
    composite(&surface, &source, keyed, rect, options);
    EXPECT_EQ(keyed.get(0, 0), T::opaque(31, 20, 10));
    EXPECT_EQ(keyed.get(1, 0), TypeParam{});
    EXPECT_EQ(keyed.get(2, 0), TypeParam{});
    EXPECT_EQ(keyed.get(3, 0), TypeParam{});
    EXPECT_EQ(keyed.get(4, 0), T::opaque(30, 21, 10));
    EXPECT_EQ(keyed.get(5, 0), T::opaque(30, 20, 11));
    EXPECT_EQ(keyed.get(6, 0), T::opaque(10, 20, 30));
    EXPECT_EQ(keyed.get(7, 0), TypeParam{});

    options.useKey = false;
    TestImage<TypeParam> plain(rect);
    composite(&surface, &source, plain, rect, options);
    EXPECT_EQ(plain.get(1, 0), T::opaque(30, 20, 10));
    EXPECT_EQ(plain.get(3, 0), T::pattern(3, 0));
    EXPECT_EQ(plain.get(7, 0), T::opaque(30, 20, 10));
}

TYPED_TEST(ProcessorRules, BlackKeyClearsUndrawnPixelsInsideTheDrawingOnly) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 12, 3};
    TestSurface surface(12, 3);
    surface.set(5, 1, 40, 50, 60, 255);
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = {1, 1, 11, 2};
    options.useKey = true;
    options.key = {0, 0, 0, 255};
    composite(&surface, &source, output, rect, options);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 12; ++x) {
            TypeParam expected = T::pattern(x, y);
            if (rectContains(options.drawRect, x, y)) {
                expected = (x == 5) ? T::opaque(40, 50, 60) : TypeParam{};
            }
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorRules, OutsideASmallerSourceTheOutputIsGenerated) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 8, 4};
    const OfxRectI sourceRect{2, 1, 5, 3};
    TestSurface surface(8, 4);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 8; i += 2) {
            surface.set(i, j, 30, 20, 10, 255);  // key colour, drawn on even columns
        }
    }
    TestImage<TypeParam> source(sourceRect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = {0, 0, 7, 4};
    options.useKey = true;
    options.key = {30, 20, 10, 0};
    composite(&surface, &source, output, rect, options);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inSource = rectContains(sourceRect, x, y);
            const bool inDrawing = rectContains(options.drawRect, x, y);
            const bool drawn = inDrawing && x % 2 == 0;
            TypeParam expected{};
            if (inSource) {
                expected = drawn ? TypeParam{} : T::pattern(x, y);  // keyed or passed through
            } else if (drawn) {
                expected = T::opaque(30, 20, 10);  // keying has no effect without a source pixel
            }
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

// A source whose rows are as long in memory as the output's but which ends
// short of the output's right edge (padding after its last pixel): whole rows
// must not be copied as one block, or the padding shows beside the source.
TYPED_TEST(ProcessorRules, ASourceEndingShortOfTheOutputLeavesItsPaddingBehind) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 8, 4};
    const OfxRectI sourceRect{0, 0, 6, 4};
    TestImage<TypeParam> sourceMemory(rect);  // two pixels of padding per row
    sourceMemory.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    typename T::Processor processor(AbortPoll{}, false, OfxRectI{0, 0, 0, 0}, OfxRGBAColourB{0, 0, 0, 0}, nullptr,
                                    sourceMemory.data(), sourceRect, sourceMemory.rowBytes(), output.data(),
                                    output.bounds(), output.rowBytes(), 0, rect);
    processor.run();
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const TypeParam expected = rectContains(sourceRect, x, y) ? T::pattern(x, y) : TypeParam{};
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

// ---------------------------------------------------------------------------
// Where the drawing lands, and which memory is touched.

// Distinct opaque colour per surface pixel.
void paintSurface(TestSurface& surface) {
    for (int j = 0; j < surface.height(); ++j) {
        for (int i = 0; i < surface.width(); ++i) {
            surface.set(i, j, static_cast<unsigned char>(10 + i), static_cast<unsigned char>(100 + j), 7, 255);
        }
    }
}

template <typename PIX>
PIX paintedAt(int column, int row) {
    return Traits<PIX>::opaque(10 + column, 100 + row, 7);
}

template <typename PIX>
class ProcessorPlacement : public ::testing::Test {};
TYPED_TEST_SUITE(ProcessorPlacement, PixelTypes);

TYPED_TEST(ProcessorPlacement, WindowInsideTheBoundsGetsTheSurfaceFromItsOwnOrigin) {
    using T = Traits<TypeParam>;
    const OfxRectI bounds{0, 0, 8, 6};
    const OfxRectI window{3, 2, 7, 5};
    TestSurface surface(4, 3);
    paintSurface(surface);
    TestImage<TypeParam> source(bounds);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(bounds);
    const TestImage<TypeParam> untouched(bounds);
    Options options;
    options.drawRect = {1, 1, 3, 2};  // surface pixels
    composite(&surface, &source, output, window, options);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            TypeParam expected = untouched.get(x, y);
            if (rectContains(window, x, y)) {
                const int column = x - window.x1;
                const int row = y - window.y1;
                expected = rectContains(options.drawRect, column, row) ? paintedAt<TypeParam>(column, row)
                                                                        : T::pattern(x, y);
            }
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorPlacement, BoundsAwayFromTheOriginCarryTheDrawing) {
    const OfxRectI bounds{100, -50, 104, -47};
    TestSurface surface(4, 3);
    paintSurface(surface);
    TestImage<TypeParam> output(bounds);
    Options options;
    options.drawRect = {0, 0, 4, 3};
    composite<TypeParam>(&surface, nullptr, output, bounds, options);
    for (int y = -50; y < -47; ++y) {
        for (int x = 100; x < 104; ++x) {
            EXPECT_EQ(output.get(x, y), paintedAt<TypeParam>(x - 100, y + 50)) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorPlacement, WindowBeyondTheBoundsTouchesOnlyTheImages) {
    using T = Traits<TypeParam>;
    const OfxRectI window{0, 0, 8, 6};
    const OfxRectI bounds{2, 1, 6, 4};
    const OfxRectI sourceRect{3, 0, 5, 6};
    TestSurface surface(8, 6);
    paintSurface(surface);
    for (int i = 0; i < 8; ++i) {
        surface.set(i, 2, 0, 0, 0, 0);  // an undrawn row shows the source or black
    }
    TestImage<TypeParam> source(sourceRect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(bounds);
    Options options;
    options.drawRect = {0, 0, 8, 6};
    composite(&surface, &source, output, window, options);
    for (int y = bounds.y1; y < bounds.y2; ++y) {
        for (int x = bounds.x1; x < bounds.x2; ++x) {
            TypeParam expected = paintedAt<TypeParam>(x, y);
            if (y == 2) {
                expected = rectContains(sourceRect, x, y) ? T::pattern(x, y) : TypeParam{};
            }
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorPlacement, DrawingRectangleIsCutToTheSurface) {
    const OfxRectI rect{0, 0, 4, 3};
    TestSurface surface(4, 3);
    paintSurface(surface);
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = {-10, -10, 100, 100};
    composite<TypeParam>(&surface, nullptr, output, rect, options);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(output.get(x, y), paintedAt<TypeParam>(x, y)) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorPlacement, WindowsBeyondTheRenderWindowFindNoSurfaceThere) {
    using T = Traits<TypeParam>;
    const OfxRectI bounds{0, 0, 5, 5};
    const OfxRectI renderWindow{1, 2, 3, 4};
    TestSurface surface(2, 2);
    paintSurface(surface);
    TestImage<TypeParam> source(bounds);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(bounds);
    Options options;
    options.drawRect = {-5, -5, 10, 10};
    auto processor = makeProcessor(&surface, &source, output, renderWindow, options);
    processor.processWindow(bounds);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const TypeParam expected = rectContains(renderWindow, x, y)
                                           ? paintedAt<TypeParam>(x - renderWindow.x1, y - renderWindow.y1)
                                           : T::pattern(x, y);
            EXPECT_EQ(output.get(x, y), expected) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorPlacement, SurfaceRowsShorterThanTheWindowAreNotOverread) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 4, 2};
    TestSurface surface(3, 2, 12);
    paintSurface(surface);
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    Options options;
    options.drawRect = rect;
    composite(&surface, &source, output, rect, options);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(output.get(2, y), paintedAt<TypeParam>(2, y));
        EXPECT_EQ(output.get(3, y), T::pattern(3, y));
    }
}

TYPED_TEST(ProcessorPlacement, NegativeRowBytesGiveTheSamePicture) {
    using T = Traits<TypeParam>;
    const OfxRectI bounds{-3, 5, 7, 11};
    const OfxRectI window{-2, 6, 6, 10};
    TestSurface surface(8, 4);
    paintSurface(surface);
    surface.set(2, 1, 0, 0, 0, 0);
    surface.set(3, 1, 9, 9, 9, 128);
    Options options;
    options.drawRect = {1, 1, 6, 3};

    TestImage<TypeParam> upSource(bounds);
    upSource.fillWith(T::pattern);
    TestImage<TypeParam> upOutput(bounds);
    upOutput.fillWith(T::pattern);
    composite(&surface, &upSource, upOutput, window, options);

    TestImage<TypeParam> downSource(bounds, RowOrder::Downward);
    downSource.fillWith(T::pattern);
    TestImage<TypeParam> downOutput(bounds, RowOrder::Downward);
    downOutput.fillWith(T::pattern);
    ASSERT_LT(downOutput.rowBytes(), 0);
    composite(&surface, &downSource, downOutput, window, options);

    for (int y = bounds.y1; y < bounds.y2; ++y) {
        for (int x = bounds.x1; x < bounds.x2; ++x) {
            EXPECT_EQ(downOutput.get(x, y), upOutput.get(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(downOutput.get(-1, 7), paintedAt<TypeParam>(1, 1));
}

TYPED_TEST(ProcessorPlacement, CoordinatesAtTheEndsOfTheIntRangeDoNotOverflow) {
    using T = Traits<TypeParam>;
    const OfxRectI high{INT_MAX - 3, INT_MAX - 2, INT_MAX, INT_MAX};
    const OfxRectI low{INT_MIN, INT_MIN, INT_MIN + 3, INT_MIN + 2};
    for (const OfxRectI& rect : {high, low}) {
        TestSurface surface(3, 2);
        paintSurface(surface);
        TestImage<TypeParam> source(rect);
        source.fillWith(T::pattern);
        TestImage<TypeParam> output(rect);
        Options options;
        options.drawRect = {-100, -100, 100, 1};
        composite(&surface, &source, output, rect, options);
        for (int j = 0; j < 2; ++j) {
            for (int i = 0; i < 3; ++i) {
                const int x = rect.x1 + i;
                const int y = rect.y1 + j;
                EXPECT_EQ(output.get(x, y), j == 0 ? paintedAt<TypeParam>(i, j) : T::pattern(x, y));
            }
        }
    }
    // A window wider than any int span, over a small image, without a surface.
    TestImage<TypeParam> source(high);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(high);
    Options options;
    options.drawRect = {0, 0, INT_MAX, INT_MAX};
    composite<TypeParam>(nullptr, &source, output, OfxRectI{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, options);
    EXPECT_EQ(output.get(INT_MAX - 1, INT_MAX - 1), T::pattern(INT_MAX - 1, INT_MAX - 1));
}

TYPED_TEST(ProcessorPlacement, DegenerateInputsWriteNothingOrPassThrough) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 3, 2};
    TestSurface surface(3, 2);
    paintSurface(surface);
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    int polls = 0;
    Options options;
    options.drawRect = rect;
    options.abort = [&polls] {
        ++polls;
        return false;
    };

    {  // no output memory
        TestImage<TypeParam> output(rect);
        typename Traits<TypeParam>::Processor nullOutput(
            options.abort, false, rect, {}, surface.bits(), source.data(), rect, source.rowBytes(), nullptr,
            rect, output.rowBytes(), surface.rowBytes(), rect);
        nullOutput.run();
        EXPECT_EQ(polls, 0);
    }
    for (const OfxRectI& window : {OfxRectI{0, 0, 0, 2}, OfxRectI{2, 0, 1, 2}, OfxRectI{0, 2, 3, 1},
                                   OfxRectI{5, 5, 9, 9}}) {
        TestImage<TypeParam> output(rect);
        const auto before = output.bytes();
        composite(&surface, &source, output, window, options);
        EXPECT_EQ(output.bytes(), before);
    }
    EXPECT_EQ(polls, 0);

    auto expectEverywhere = [&](const TestImage<TypeParam>& output, auto expectedAt) {
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(output.get(x, y), expectedAt(x, y)) << x << "," << y;
            }
        }
    };
    {  // inverted drawing rectangle
        Options inverted = options;
        inverted.drawRect = {2, 0, 1, 2};
        TestImage<TypeParam> output(rect);
        composite(&surface, &source, output, rect, inverted);
        expectEverywhere(output, T::pattern);
    }
    {  // no surface memory
        TestImage<TypeParam> output(rect);
        composite<TypeParam>(nullptr, &source, output, rect, options);
        expectEverywhere(output, T::pattern);
    }
    {  // source data with inverted bounds counts as no source
        TestImage<TypeParam> output(rect);
        typename Traits<TypeParam>::Processor noSource(
            {}, false, rect, {}, surface.bits(), source.data(), OfxRectI{3, 0, 0, 2}, source.rowBytes(),
            output.data(), rect, output.rowBytes(), surface.rowBytes(), rect);
        noSource.run();
        expectEverywhere(output, paintedAt<TypeParam>);
    }
}

// ---------------------------------------------------------------------------
// Abort polling.

template <typename PIX>
class ProcessorAbort : public ::testing::Test {};
TYPED_TEST_SUITE(ProcessorAbort, PixelTypes);

TYPED_TEST(ProcessorAbort, AbortBeforeTheFirstRowLeavesTheOutputUntouched) {
    using T = Traits<TypeParam>;
    const OfxRectI rect{0, 0, 5, 4};
    TestSurface surface(5, 4);
    paintSurface(surface);
    TestImage<TypeParam> source(rect);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(rect);
    const auto before = output.bytes();
    int polls = 0;
    Options options;
    options.drawRect = rect;
    options.abort = [&polls] {
        ++polls;
        return true;
    };
    composite(&surface, &source, output, rect, options);
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(output.bytes(), before);
}

TYPED_TEST(ProcessorAbort, AbortMidWindowKeepsTheRowsAlreadyDone) {
    using T = Traits<TypeParam>;
    const OfxRectI bounds{0, 0, 5, 6};
    const OfxRectI window{1, 1, 4, 6};
    TestSurface surface(3, 5);
    TestImage<TypeParam> source(bounds);
    source.fillWith(T::pattern);
    TestImage<TypeParam> output(bounds);
    const TestImage<TypeParam> untouched(bounds);
    int polls = 0;
    Options options;
    options.drawRect = {0, 0, 3, 5};
    options.abort = [&polls] { return ++polls == 3; };
    composite(&surface, &source, output, window, options);
    EXPECT_EQ(polls, 3);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool done = rectContains(window, x, y) && y < 3;  // rows 1 and 2
            EXPECT_EQ(output.get(x, y), done ? T::pattern(x, y) : untouched.get(x, y)) << x << "," << y;
        }
    }
}

TYPED_TEST(ProcessorAbort, PollsOncePerRowOfTheImage) {
    const OfxRectI bounds{0, 0, 4, 7};
    const OfxRectI window{0, -3, 4, 10};  // only rows 0..6 exist
    TestSurface surface(4, 13);
    TestImage<TypeParam> output(bounds);
    int polls = 0;
    Options options;
    options.abort = [&polls] {
        ++polls;
        return false;
    };
    composite<TypeParam>(&surface, nullptr, output, window, options);
    EXPECT_EQ(polls, 7);
}

// ---------------------------------------------------------------------------
// Bulk paths against pixel-by-pixel processing.

template <typename PIX>
class ProcessorConsistency : public ::testing::Test {};
TYPED_TEST_SUITE(ProcessorConsistency, PixelTypes);

TYPED_TEST(ProcessorConsistency, WholeWindowEqualsOnePixelAtATime) {
    using T = Traits<TypeParam>;
    std::mt19937 random(20240611);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto randomRect = [&](int spread) {
        const int x1 = between(-spread, spread);
        const int y1 = between(-spread, spread);
        return OfxRectI{x1, y1, x1 + between(1, 2 * spread), y1 + between(1, spread)};
    };
    for (int round = 0; round < 300; ++round) {
        const OfxRectI window = randomRect(12);
        const OfxRectI bounds = randomRect(12);
        const OfxRectI sourceRect = randomRect(12);
        const int surfaceWidth = window.x2 - window.x1;
        const int surfaceHeight = window.y2 - window.y1;
        TestSurface surface(surfaceWidth, surfaceHeight);
        for (int j = 0; j < surfaceHeight; ++j) {
            for (int i = 0; i < surfaceWidth; ++i) {
                switch (between(0, 8)) {
                    case 0: surface.set(i, j, 30, 20, 10, static_cast<unsigned char>(between(0, 255))); break;
                    case 1: surface.set(i, j, static_cast<unsigned char>(between(0, 255)), 7, 200,
                                        static_cast<unsigned char>(between(1, 255))); break;
                    case 2: surface.set(i, j, 0, 0, 0, 255); break;
                    case 5: surface.set(i, j, 30, 20, 10, 255); break;
                    case 3:
                    case 4: surface.set(i, j, static_cast<unsigned char>(between(0, 255)), 90, 3, 255); break;
                    default: break;  // most of a surface is undrawn
                }
            }
        }
        const bool withSource = between(0, 3) != 0;
        TestImage<TypeParam> source(sourceRect, between(0, 1) ? RowOrder::Upward : RowOrder::Downward);
        source.fillWith(T::pattern);
        const RowOrder order = between(0, 1) ? RowOrder::Upward : RowOrder::Downward;
        TestImage<TypeParam> whole(bounds, order);
        TestImage<TypeParam> single(bounds, order);
        Options options;
        options.drawRect = OfxRectI{between(-3, surfaceWidth), between(-3, surfaceHeight),
                                    between(-3, surfaceWidth + 3), between(-3, surfaceHeight + 3)};
        options.useKey = between(0, 1) != 0;
        options.key = between(0, 1) ? OfxRGBAColourB{30, 20, 10, 0} : OfxRGBAColourB{0, 0, 0, 0};

        const TestImage<TypeParam>* sourceImage = withSource ? &source : nullptr;
        composite(&surface, sourceImage, whole, window, options);
        auto processor = makeProcessor(&surface, sourceImage, single, window, options);
        for (int y = window.y1; y < window.y2; ++y) {
            for (int x = window.x1; x < window.x2; ++x) {
                processor.processWindow(OfxRectI{x, y, x + 1, y + 1});
            }
        }
        ASSERT_EQ(whole.bytes(), single.bytes()) << "round " << round;
    }
}

TYPED_TEST(ProcessorConsistency, TranslucentFillsGiveThePixelsOfOnePixelAtATime) {
    using T = Traits<TypeParam>;
    // Long runs of one translucent word (a dial's or a box's fill) over a
    // source that takes many values, with a run broken by an opaque pixel,
    // one matching the key, and short runs.
    const OfxRectI bounds{0, 0, 300, 6};
    TestSurface surface(300, 6);
    const unsigned char alphas[] = {1, 77, 128, 217, 254, 200};
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 300; ++column) {
            const unsigned char alpha = alphas[row];
            if (column == 150) {
                surface.set(column, row, 9, 9, 9, 255);
            } else if (column == 151) {
                surface.set(column, row, 30, 20, 10, alpha);  // the key colour
            } else if (column < 280) {
                surface.set(column, row, static_cast<unsigned char>(40 * row), 200, 7, alpha);
            } else {
                surface.set(column, row, static_cast<unsigned char>(column), 5, 6, alpha);
            }
        }
    }
    TestImage<TypeParam> source(bounds);
    source.fillWith([](int x, int y) {
        TypeParam p = T::pattern(x * 7 + y, y * 3 + x);
        return p;
    });
    for (bool useKey : {false, true}) {
        Options options;
        options.drawRect = bounds;
        options.useKey = useKey;
        options.key = OfxRGBAColourB{30, 20, 10, 0};
        TestImage<TypeParam> whole(bounds);
        TestImage<TypeParam> single(bounds);
        composite(&surface, &source, whole, bounds, options);
        auto processor = makeProcessor(&surface, &source, single, bounds, options);
        for (int y = bounds.y1; y < bounds.y2; ++y) {
            for (int x = bounds.x1; x < bounds.x2; ++x) {
                processor.processWindow(OfxRectI{x, y, x + 1, y + 1});
            }
        }
        ASSERT_EQ(whole.bytes(), single.bytes()) << "keyed " << useKey;
    }
}

TYPED_TEST(ProcessorConsistency, DrawnRunsAndInkKeptApartGiveThePixelsOfReadingTheWholeSurface) {
    using T = Traits<TypeParam>;
    std::mt19937 random(20261208);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 100; ++round) {
        // Wide enough for gaps longer than the runs merge over.
        const OfxRectI bounds{-20, -5, 180, 15};
        const int width = bounds.x2 - bounds.x1;
        const int height = bounds.y2 - bounds.y1;
        TestSurface surface(width, height);
        OfxRectI ink{width, height, 0, 0};
        const int strokes = between(0, 12);
        for (int k = 0; k < strokes; ++k) {
            const int row = between(0, height - 1);
            const int from = between(0, width - 1);
            const int to = std::min(width, from + between(1, 50));
            for (int i = from; i < to; ++i) {
                if (between(0, 3) != 0) {
                    surface.set(i, row, static_cast<unsigned char>(between(0, 255)), 40, 9,
                                static_cast<unsigned char>(between(1, 255)));
                    ink = OfxRectI{std::min(ink.x1, i), std::min(ink.y1, row), std::max(ink.x2, i + 1),
                                   std::max(ink.y2, row + 1)};
                }
            }
        }
        if (ink.x1 >= ink.x2) {
            ink = OfxRectI{0, 0, 0, 0};
        }
        TestImage<TypeParam> source(bounds);
        source.fillWith(T::pattern);
        Options options;
        options.drawRect = OfxRectI{between(-3, 40), between(-3, 5), between(100, width + 3), between(10, height + 3)};
        options.useKey = between(0, 1) != 0;
        options.key = between(0, 1) ? OfxRGBAColourB{9, 40, 0, 0} : OfxRGBAColourB{0, 0, 0, 0};
        const TestImage<TypeParam>* sourceImage = between(0, 3) != 0 ? &source : nullptr;
        const OfxRectI window{between(-25, 30), between(-6, 5), between(60, 185), between(8, 16)};

        TestImage<TypeParam> read(bounds);
        auto reading = makeProcessor(&surface, sourceImage, read, window, options);
        reading.setSurface(bounds, ink);
        reading.run();

        const InkRuns runs =
            InkRuns::scan(surface.bits(), static_cast<std::size_t>(surface.rowBytes()), ink);
        TestImage<TypeParam> skipped(bounds);
        auto skipping = makeProcessor(&surface, sourceImage, skipped, window, options);
        skipping.setSurface(bounds, ink);
        skipping.setInkRuns(&runs);
        skipping.run();
        ASSERT_EQ(read.bytes(), skipped.bytes()) << "round " << round;

        // The ink's pixels kept apart from the surface, rows back to back.
        const int inkWidth = ink.x2 - ink.x1;
        std::vector<unsigned char> apart(static_cast<std::size_t>(inkWidth) * 4 * static_cast<std::size_t>(ink.y2 - ink.y1));
        for (int row = ink.y1; row < ink.y2; ++row) {
            std::memcpy(apart.data() + static_cast<std::size_t>(row - ink.y1) * inkWidth * 4,
                        surface.bits() + static_cast<std::size_t>(row) * surface.rowBytes() + ink.x1 * 4,
                        static_cast<std::size_t>(inkWidth) * 4);
        }
        TestImage<TypeParam> fromInk(bounds);
        auto inkAlone = makeProcessor(&surface, sourceImage, fromInk, window, options);
        inkAlone.setSurface(bounds, ink);
        inkAlone.setInkRuns(&runs);
        inkAlone.setInkPixels(apart.empty() ? nullptr : apart.data(), inkWidth * 4);
        inkAlone.run();
        ASSERT_EQ(read.bytes(), fromInk.bytes()) << "round " << round;

        // And where there is no source, copied from the ink's copy.
        const auto inkRows = static_cast<std::size_t>(ink.y2 - ink.y1);
        std::vector<TypeParam> copy(static_cast<std::size_t>(inkWidth) * inkRows);
        T::Processor::copyInk(apart.data(), static_cast<std::size_t>(inkWidth) * 4, static_cast<std::size_t>(inkWidth),
                              inkRows, copy.data());
        TestImage<TypeParam> fromCopy(bounds);
        auto copied = makeProcessor(&surface, sourceImage, fromCopy, window, options);
        copied.setSurface(bounds, ink);
        copied.setInkRuns(&runs);
        copied.setInkPixels(apart.empty() ? nullptr : apart.data(), inkWidth * 4);
        copied.setInkCopy(copy.data(), static_cast<std::size_t>(inkWidth));
        copied.run();
        ASSERT_EQ(read.bytes(), fromCopy.bytes()) << "round " << round;
    }
}

// ---------------------------------------------------------------------------
// Choosing the class by depth.

TEST(ProcessorForDepth, EachDepthRunsItsClassAndOthersNone) {
    const OfxRectI rect{0, 0, 1, 1};
    TestSurface surface(1, 1);
    surface.set(0, 0, 255, 0, 51, 255);
    auto runDepth = [&](int depth, auto& output) {
        return runProcessorForDepth(depth, {}, false, rect, {}, surface.bits(), nullptr, {}, 0, output.data(),
                                    rect, output.rowBytes(), surface.rowBytes(), rect);
    };
    TestImage<B> eight(rect);
    EXPECT_TRUE(runDepth(8, eight));
    EXPECT_EQ(eight.get(0, 0), (B{255, 0, 51, 255}));
    TestImage<S> sixteen(rect);
    EXPECT_TRUE(runDepth(16, sixteen));
    EXPECT_EQ(sixteen.get(0, 0), (S{65535, 0, 13107, 65535}));
    TestImage<F> floating(rect);
    EXPECT_TRUE(runDepth(32, floating));
    EXPECT_EQ(floating.get(0, 0), (F{1.0f, 0.0f, 0.2f, 1.0f}));

    for (int depth : {0, 24, 64}) {
        TestImage<F> output(rect);
        const auto before = output.bytes();
        EXPECT_FALSE(runDepth(depth, output));
        EXPECT_EQ(output.bytes(), before);

        // The same for a job, in bands or not.
        CompositeJob job;
        job.drawRect = rect;
        job.drawBits = surface.bits();
        job.drawRowBytes = surface.rowBytes();
        job.surfaceBounds = rect;
        job.dstData = output.data();
        job.dstBounds = rect;
        job.dstRowBytes = output.rowBytes();
        job.renderWindow = rect;
        unsigned ran = 0;
        const BandRunner runner = [&ran](unsigned bands, const std::function<void(unsigned)>& work) {
            for (unsigned band = 0; band < bands; ++band) {
                ++ran;
                work(band);
            }
        };
        EXPECT_FALSE(runProcessorForDepth(depth, job, 1, BandRunner{}));
        EXPECT_FALSE(runProcessorForDepth(depth, job, 2, runner));
        EXPECT_EQ(ran, 0u);
        EXPECT_EQ(output.bytes(), before);
    }
}

// ---------------------------------------------------------------------------
// Runs of the surface, across the line-sized steps of the scan.

TEST(SurfaceRuns, UndrawnRunStopsAtTheFirstTouchedByte) {
    for (std::size_t count = 0; count <= 40; ++count) {
        for (std::size_t touched = 0; touched <= count; ++touched) {
            for (std::size_t byte = 0; byte < 4; ++byte) {
                std::vector<unsigned char> surface(count * 4, 0);  // exactly count pixels
                if (touched < count) {
                    surface[touched * 4 + byte] = 1;
                }
                ASSERT_EQ(compose::undrawnRun(surface.data(), count), touched)
                    << count << " " << touched << " " << byte;
            }
        }
    }
}

TEST(SurfaceRuns, DrawnRunStopsAtTheFirstUntouchedPixel) {
    for (std::size_t count = 0; count <= 40; ++count) {
        for (std::size_t first = 0; first <= count; ++first) {
            for (std::size_t byte = 0; byte < 4; ++byte) {
                // Exactly count pixels, each touched in one byte only.
                std::vector<unsigned char> surface(count * 4, 0);
                for (std::size_t k = 0; k < count; ++k) {
                    surface[k * 4 + (k + byte) % 4] = 1;
                }
                if (first < count) {
                    std::fill_n(surface.begin() + static_cast<std::ptrdiff_t>(first * 4), 4, 0);
                }
                ASSERT_EQ(compose::drawnRunLength(surface.data(), count), first) << count << " " << first << " " << byte;
            }
        }
    }
}

TEST(SurfaceRuns, OpaqueRunStopsAtTheFirstAlphaBelowFull) {
    for (std::size_t count = 0; count <= 40; ++count) {
        for (std::size_t first = 0; first <= count; ++first) {
            for (const unsigned char alpha : {0, 1, 254}) {
                // Exactly count pixels, colours anything, one alpha short.
                std::vector<unsigned char> surface(count * 4, 0xFF);
                for (std::size_t k = 0; k < count; ++k) {
                    surface[k * 4] = static_cast<unsigned char>(k);
                }
                if (first < count) {
                    surface[first * 4 + 3] = alpha;
                }
                ASSERT_EQ(compose::opaqueRunLength(surface.data(), count), first)
                    << count << " " << first << " " << int{alpha};
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Addressing.

TEST(PixelAddressing, RowOffsetsBeyondThirtyTwoBits) {
    const OfxRectI rect{0, 0, 10000, 100000};
    EXPECT_EQ(pixelOffset(rect, 0, 70000, 40000, 4), std::ptrdiff_t{2800000000});
    EXPECT_EQ(pixelOffset(rect, 0, 70000, -40000, 4), std::ptrdiff_t{-2800000000});
    EXPECT_EQ(pixelOffset(rect, 3, 2, -100, 16), std::ptrdiff_t{-200 + 48});
    const OfxRectI extreme{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(pixelOffset(extreme, INT_MIN, INT_MAX - 1, INT_MIN, 4),
              std::ptrdiff_t{-9223372032559808512});
    EXPECT_EQ(pixelOffset(extreme, INT_MAX - 1, INT_MIN, 0, 16), std::ptrdiff_t{4294967294} * 16);
}

TEST(PixelAddressing, AddressExistsOnlyInsideTheRectangleOfRealData) {
    unsigned char memory[2 * 3 * 4] = {};
    const OfxRectI rect{5, 7, 7, 10};
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(memory), rect, 5, 7, 8), memory);
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(memory), rect, 6, 9, 8), memory + 2 * 8 + 4);
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(memory), rect, 7, 7, 8), nullptr);
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(memory), rect, 5, 10, 8), nullptr);
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(memory), rect, 4, 8, 8), nullptr);
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(memory), rect, 5, 6, 8), nullptr);
    EXPECT_EQ(pixelAddress<4>(static_cast<void*>(nullptr), rect, 5, 7, 8), nullptr);
    EXPECT_EQ(rectWidth(OfxRectI{INT_MIN, 0, INT_MAX, 1}), std::int64_t{4294967295});
    EXPECT_EQ(rectWidth(OfxRectI{3, 0, 1, 1}), 0);
}

}  // namespace
}  // namespace horavex
