// Images given to clips and handed to the plug-in: memory layout (bounds
// away from the origin, padding, negative row bytes), the image property
// set, release accounting, image faults and clip regions.
#include "host/Host.h"
#include "support/HostBuilders.h"
#include "common/Sanitizers.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

namespace horavex::host {
namespace {

using testing::Rgba;

TEST(ImageBuffer, TightRowsAwayFromTheOriginFollowTheAddressRule) {
    ImageBuffer image(testing::imageSpec({-10, 20, 30, 50}));
    EXPECT_EQ(image.width(), 40);
    EXPECT_EQ(image.height(), 30);
    EXPECT_EQ(image.rowBytes(), 160);
    EXPECT_EQ(image.memorySize(), 160u * 30u);
    EXPECT_EQ(image.data(), static_cast<void*>(image.memory()));
    auto* data = static_cast<std::byte*>(image.data());
    EXPECT_EQ(image.address(-10, 20), data);
    EXPECT_EQ(image.address(-9, 20), data + 4);
    EXPECT_EQ(image.address(-10, 21), data + 160);
    EXPECT_EQ(image.address(29, 49), data + 29 * 160 + 39 * 4);
    EXPECT_THROW(image.address(30, 20), std::out_of_range);
    EXPECT_THROW(image.address(-10, 19), std::out_of_range);
}

TEST(ImageBuffer, NegativeRowBytesPutTheBottomRowAtTheHighestAddress) {
    ImageBuffer image(testing::imageSpec({5, 5, 9, 8}, kOfxBitDepthFloat, 0, true));
    EXPECT_EQ(image.bytesPerPixel(), 16);
    EXPECT_EQ(image.rowBytes(), -64);
    EXPECT_EQ(image.memorySize(), 64u * 3u);
    EXPECT_EQ(static_cast<std::byte*>(image.data()), image.memory() + 2 * 64);
    // The top row is first in memory.
    EXPECT_EQ(image.address(5, 7), image.memory());
    image.write(8, 5, OfxRGBAColourF{1.0f, 2.0f, 3.0f, 4.0f});
    float last = 0;
    std::memcpy(&last, image.memory() + image.memorySize() - sizeof(float), sizeof(float));
    EXPECT_EQ(last, 4.0f);
}

TEST(ImageBuffer, PaddedRowsAllocateExactlyTheirPitch) {
    ImageSpec format = testing::imageSpec({0, 0, 20, 4}, kOfxBitDepthShort, 200);
    ImageBuffer image(format);
    EXPECT_EQ(image.bytesPerPixel(), 8);
    EXPECT_EQ(image.rowBytes(), 200);
    EXPECT_EQ(image.memorySize(), 800u);
    testing::fillPadding(image, std::byte{0xAB});
    testing::fillImage(image, Rgba{0.0, 0.5, 1.0, 1.0});
    EXPECT_TRUE(testing::paddingHolds(image, std::byte{0xAB}));
    const auto p = image.read<OfxRGBAColourS>(19, 3);
    EXPECT_EQ(p.b, 65535);
    EXPECT_EQ(p.g, 32768);
    image.memory()[160] = std::byte{0};
    EXPECT_FALSE(testing::paddingHolds(image, std::byte{0xAB}));
}

TEST(ImageBuffer, ImpossibleLayoutsAreRefused) {
    EXPECT_THROW(ImageBuffer(testing::imageSpec({10, 0, 0, 10})), std::invalid_argument);
    EXPECT_THROW(ImageBuffer(testing::imageSpec({0, 0, 10, 10}, kOfxBitDepthByte, 39)), std::invalid_argument);
    EXPECT_THROW(ImageBuffer(testing::imageSpec({0, 0, 10, 10}, "MyDepth")), std::invalid_argument);
    ImageSpec custom = testing::imageSpec({0, 0, 10, 10}, "MyDepth");
    custom.bytesPerPixel = 3;
    EXPECT_EQ(ImageBuffer(custom).rowBytes(), 30);
    EXPECT_EQ(ImageBuffer(testing::imageSpec({0, 0, 10, 10}, kOfxBitDepthByte, -48)).rowBytes(), -48);
    EXPECT_EQ(ImageBuffer(testing::imageSpec({3, 3, 3, 3})).memorySize(), 0u);
}

TEST(ImageBuffer, WritingPastTheLastRowIsCaughtByTheSanitizer) {
#if defined(HORAVEX_ASAN)
    ImageBuffer image(testing::imageSpec({0, 0, 3, 2}, kOfxBitDepthByte, 16, true));
    EXPECT_DEATH(static_cast<volatile std::byte*>(image.data())[16] = std::byte{1}, "heap-buffer-overflow");
#else
    GTEST_SKIP() << "needs AddressSanitizer";
#endif
}

class ClipImageTest : public ::testing::Test {
protected:
    Host host;
    ImageEffect descriptor{&host, EffectRole::ContextDescriptor, kOfxImageEffectContextFilter, "descriptor"};
    std::unique_ptr<Effect> effect;
    const OfxImageEffectSuiteV1* suite = imageEffectSuite();
    const OfxPropertySuiteV1* props = propertySuite();

    void SetUp() override {
        descriptor.defineClip(kOfxImageEffectOutputClipName);
        descriptor.defineClip(kOfxImageEffectSimpleSourceClipName);
        effect = std::make_unique<Effect>(host, descriptor);
    }
    OfxImageClipHandle clip(const char* name) {
        OfxImageClipHandle c = nullptr;
        EXPECT_EQ(suite->clipGetHandle(effect->handle(), name, &c, nullptr), kOfxStatOK);
        return c;
    }
    OfxPropertySetHandle fetch(const char* name, double time = 0.0, OfxStatus expected = kOfxStatOK) {
        OfxPropertySetHandle image = nullptr;
        EXPECT_EQ(suite->clipGetImage(clip(name), time, nullptr, &image), expected);
        return image;
    }
};

TEST_F(ClipImageTest, TheImagePropertySetDescribesTheAttachedImage) {
    ImageSpec format = testing::imageSpec({100, -50, 164, 14}, kOfxBitDepthShort, 600, true);
    format.pixelAspectRatio = 2.0;
    format.field = kOfxImageFieldLower;
    format.premultiplication = kOfxImageUnPreMultiplied;
    format.renderScale = {0.5, 0.5};
    auto buffer = effect->clip("Source").attachImage(format);
    OfxPropertySetHandle image = fetch("Source", 12.0);
    ASSERT_NE(image, nullptr);
    void* data = nullptr;
    int bounds[4] = {};
    int rowBytes = 0;
    char* depth = nullptr;
    char* components = nullptr;
    char* field = nullptr;
    char* premult = nullptr;
    double par = 0, scale[2] = {};
    EXPECT_EQ(props->propGetPointer(image, kOfxImagePropData, 0, &data), kOfxStatOK);
    EXPECT_EQ(props->propGetIntN(image, kOfxImagePropBounds, 4, bounds), kOfxStatOK);
    EXPECT_EQ(props->propGetInt(image, kOfxImagePropRowBytes, 0, &rowBytes), kOfxStatOK);
    EXPECT_EQ(props->propGetString(image, kOfxImageEffectPropPixelDepth, 0, &depth), kOfxStatOK);
    EXPECT_EQ(props->propGetString(image, kOfxImageEffectPropComponents, 0, &components), kOfxStatOK);
    EXPECT_EQ(props->propGetString(image, kOfxImagePropField, 0, &field), kOfxStatOK);
    EXPECT_EQ(props->propGetString(image, kOfxImageEffectPropPreMultiplication, 0, &premult), kOfxStatOK);
    EXPECT_EQ(props->propGetDouble(image, kOfxImagePropPixelAspectRatio, 0, &par), kOfxStatOK);
    EXPECT_EQ(props->propGetDoubleN(image, kOfxImageEffectPropRenderScale, 2, scale), kOfxStatOK);
    EXPECT_EQ(data, buffer->data());
    EXPECT_EQ((std::vector<int>(bounds, bounds + 4)), (std::vector<int>{100, -50, 164, 14}));
    EXPECT_EQ(rowBytes, -600);
    EXPECT_STREQ(depth, kOfxBitDepthShort);
    EXPECT_STREQ(components, kOfxImageComponentRGBA);
    EXPECT_STREQ(field, kOfxImageFieldLower);
    EXPECT_STREQ(premult, kOfxImageUnPreMultiplied);
    EXPECT_EQ(par, 2.0);
    EXPECT_EQ(scale[1], 0.5);
    // The identifier names the clip and the time, as a stream prints it.
    char* identifier = nullptr;
    EXPECT_EQ(props->propGetString(image, "OfxImagePropUniqueIdentifier", 0, &identifier), kOfxStatOK);
    EXPECT_STREQ(identifier, "Source@12");
    OfxPropertySetHandle later = fetch("Source", 1234567.25);
    EXPECT_EQ(props->propGetString(later, "OfxImagePropUniqueIdentifier", 0, &identifier), kOfxStatOK);
    EXPECT_STREQ(identifier, "Source@1.23457e+06");
    EXPECT_EQ(suite->clipReleaseImage(later), kOfxStatOK);
    // Image properties are the host's: the plug-in cannot add to them.
    EXPECT_EQ(props->propSetInt(image, "Scribble", 0, 1), kOfxStatErrUnknown);
    EXPECT_EQ(effect->clip("Source").props().getString(kOfxImageEffectPropPixelDepth), kOfxBitDepthShort);
    EXPECT_EQ(suite->clipReleaseImage(image), kOfxStatOK);
}

TEST_F(ClipImageTest, ThePlugInWritesPixelsWhereTheStandardsRulePutsThem) {
    auto buffer = effect->clip("Output").attachImage(testing::imageSpec({-3, 7, 5, 11}, kOfxBitDepthByte, 40, true));
    OfxPropertySetHandle image = fetch("Output");
    void* data = nullptr;
    int rowBytes = 0, bounds[4] = {};
    props->propGetPointer(image, kOfxImagePropData, 0, &data);
    props->propGetInt(image, kOfxImagePropRowBytes, 0, &rowBytes);
    props->propGetIntN(image, kOfxImagePropBounds, 4, bounds);
    for (int y = bounds[1]; y < bounds[3]; ++y) {
        for (int x = bounds[0]; x < bounds[2]; ++x) {
            auto* p = static_cast<unsigned char*>(data) + (y - bounds[1]) * rowBytes + (x - bounds[0]) * 4;
            p[0] = static_cast<unsigned char>(x + 3);
            p[1] = static_cast<unsigned char>(y);
            p[2] = 0;
            p[3] = 255;
        }
    }
    suite->clipReleaseImage(image);
    const auto corner = buffer->read<OfxRGBAColourB>(4, 10);
    EXPECT_EQ(corner.r, 7);
    EXPECT_EQ(corner.g, 10);
    EXPECT_EQ(buffer->read<OfxRGBAColourB>(-3, 7).g, 7);
}

TEST_F(ClipImageTest, ReleasesAreCountedAndDoubleReleasesRefused) {
    effect->clip("Source").attachImage(testing::imageSpec({0, 0, 4, 4}));
    OfxPropertySetHandle first = fetch("Source");
    OfxPropertySetHandle second = fetch("Source");
    EXPECT_NE(first, second);
    EXPECT_EQ(host.images().handedOut(), 2u);
    EXPECT_EQ(host.images().outstanding(), 2u);
    EXPECT_EQ(host.images().releaseCount(first), 0);
    EXPECT_EQ(suite->clipReleaseImage(first), kOfxStatOK);
    EXPECT_EQ(host.images().outstanding(), 1u);
    EXPECT_EQ(suite->clipReleaseImage(first), kOfxStatErrBadHandle);
    EXPECT_EQ(host.images().releaseCount(first), 2);
    EXPECT_EQ(host.images().badReleases(), 1u);
    int rowBytes = 0;
    EXPECT_EQ(props->propGetInt(first, kOfxImagePropRowBytes, 0, &rowBytes), kOfxStatErrBadHandle);
    int notAnImage = 0;
    EXPECT_EQ(suite->clipReleaseImage(reinterpret_cast<OfxPropertySetHandle>(&notAnImage)), kOfxStatErrBadHandle);
    EXPECT_EQ(suite->clipReleaseImage(nullptr), kOfxStatErrBadHandle);
    EXPECT_EQ(host.images().badReleases(), 3u);
    EXPECT_EQ(suite->clipReleaseImage(second), kOfxStatOK);
    EXPECT_EQ(host.images().outstanding(), 0u);
    EXPECT_EQ(host.calls().count("clipReleaseImage", kOfxImageEffectSimpleSourceClipName), 3u);
}

TEST_F(ClipImageTest, RefusedMissingAndDatalessImages) {
    effect->clip("Source").attachImage(testing::imageSpec({0, 0, 4, 4}));
    effect->clip("Source").refuseImages(kOfxStatErrMemory);
    EXPECT_EQ(fetch("Source", 3.0, kOfxStatErrMemory), nullptr);
    EXPECT_EQ(fetch("Output", 0.0, kOfxStatFailed), nullptr);
    effect->clip("Source").acceptImages();
    effect->clip("Source").setNullImageData(true);
    OfxPropertySetHandle image = fetch("Source");
    ASSERT_NE(image, nullptr);
    void* data = reinterpret_cast<void*>(1);
    EXPECT_EQ(props->propGetPointer(image, kOfxImagePropData, 0, &data), kOfxStatOK);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(host.images().outstanding(), 1u);
    EXPECT_TRUE(host.images().records().front().nullData);
    suite->clipReleaseImage(image);
    const std::vector<ImageRequest> requests = effect->clip("Source").requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].time, 3.0);
    EXPECT_EQ(requests[0].status, kOfxStatErrMemory);
    EXPECT_FALSE(requests[0].region.has_value());
}

TEST_F(ClipImageTest, ImagesCanDifferByTime) {
    auto always = effect->clip("Source").attachImage(testing::imageSpec({0, 0, 2, 2}));
    auto atFive = std::make_shared<ImageBuffer>(testing::imageSpec({0, 0, 8, 8}));
    effect->clip("Source").setImageAt(5.0, atFive);
    void* data = nullptr;
    OfxPropertySetHandle five = fetch("Source", 5.0);
    props->propGetPointer(five, kOfxImagePropData, 0, &data);
    EXPECT_EQ(data, atFive->data());
    OfxPropertySetHandle six = fetch("Source", 6.0);
    props->propGetPointer(six, kOfxImagePropData, 0, &data);
    EXPECT_EQ(data, always->data());
    suite->clipReleaseImage(five);
    suite->clipReleaseImage(six);
}

TEST_F(ClipImageTest, RegionOfDefinitionComesFromTheImageInCanonicalCoordinates) {
    OfxRectD rod{};
    EXPECT_EQ(suite->clipGetRegionOfDefinition(clip("Source"), 0.0, &rod), kOfxStatOK);
    EXPECT_EQ(rod.x2, 1920.0);  // the project extent, with no image
    EXPECT_EQ(rod.y2, 1080.0);
    ImageSpec format = testing::imageSpec({10, 20, 110, 70});
    format.pixelAspectRatio = 2.0;
    effect->clip("Source").attachImage(format);
    EXPECT_EQ(suite->clipGetRegionOfDefinition(clip("Source"), 0.0, &rod), kOfxStatOK);
    EXPECT_EQ(rod.x1, 20.0);
    EXPECT_EQ(rod.x2, 220.0);
    EXPECT_EQ(rod.y1, 20.0);
    EXPECT_EQ(rod.y2, 70.0);
    effect->clip("Source").setRegionOfDefinition({0, 0, 720, 576});
    EXPECT_EQ(suite->clipGetRegionOfDefinition(clip("Source"), 0.0, &rod), kOfxStatOK);
    EXPECT_EQ(rod.x2, 720.0);
    EXPECT_EQ(suite->clipGetRegionOfDefinition(clip("Source"), 0.0, nullptr), kOfxStatErrValue);
}

TEST_F(ClipImageTest, ClipHandlesOnlyForKnownClipsOfInstances) {
    OfxImageClipHandle c = reinterpret_cast<OfxImageClipHandle>(&host);
    OfxPropertySetHandle p = reinterpret_cast<OfxPropertySetHandle>(&host);
    EXPECT_EQ(suite->clipGetHandle(effect->handle(), "Matte", &c, &p), kOfxStatErrUnknown);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(suite->clipGetHandle(descriptor.handle(), "Source", &c, &p), kOfxStatErrBadHandle);
    OfxPropertySetHandle image = nullptr;
    EXPECT_EQ(suite->clipGetImage(descriptor.clip("Source").handle(), 0.0, nullptr, &image), kOfxStatErrBadHandle);
    EXPECT_EQ(suite->clipGetImage(nullptr, 0.0, nullptr, &image), kOfxStatErrBadHandle);
    EXPECT_EQ(suite->clipGetImage(clip("Source"), 0.0, nullptr, nullptr), kOfxStatErrValue);
    EXPECT_EQ(suite->clipGetHandle(effect->handle(), "Source", &c, &p), kOfxStatOK);
    EXPECT_EQ(PropertySet::fromHandle(p)->getString(kOfxPropName), "Source");
}

TEST_F(ClipImageTest, InstanceClipsCarryTheHostsClipProperties) {
    const PropertySet& source = effect->clip("Source").props();
    EXPECT_EQ(source.getString(kOfxPropType), kOfxTypeClip);
    EXPECT_EQ(source.getString(kOfxImageEffectPropPixelDepth), kOfxBitDepthByte);
    EXPECT_EQ(source.getString(kOfxImageEffectPropComponents), kOfxImageComponentRGBA);
    EXPECT_EQ(source.getString(kOfxImageEffectPropPreMultiplication), kOfxImagePreMultiplied);
    EXPECT_EQ(source.getDouble(kOfxImageEffectPropFrameRate), 25.0);
    EXPECT_EQ(source.getInt(kOfxImageClipPropConnected), 1);
    effect->clip("Source").setPremultiplication(kOfxImageOpaque);
    effect->clip("Source").setPixelAspectRatio(1.5);
    EXPECT_EQ(source.getString(kOfxImageEffectPropPreMultiplication), kOfxImageOpaque);
    EXPECT_EQ(source.getDouble(kOfxImagePropPixelAspectRatio), 1.5);
}

}  // namespace
}  // namespace horavex::host
