// Whole renders through the in-tree host, as a careless or hostile host could
// ask for them: any parameter values (NaN, infinities, values far outside the
// declared ranges, any free format and font string), images of 1 to 4096
// pixels a side at each depth, away from the origin, with padded or negative
// row bytes and any pixel aspect ratio, render windows equal to, inside, offset
// from, larger than the image or empty, any render time and frame rate. Each
// render must return a status a host understands, give back every image, and
// change no byte of the output outside the part of the window inside it; the
// sanitizers watch every other byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/Sanitizers.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzValues.h"
#include "host/Host.h"

#if defined(HORAVEX_ASAN)
// fontconfig keeps the values of its patterns at offsets instead of pointers,
// so the leak checker takes its caches for lost.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace {

using namespace horavex::host;

// Keeps one render's work small enough for thousands of runs a minute while
// still reaching every size class the drawing code distinguishes.
constexpr int64_t kMaxImagePixels = int64_t{1} << 18;
constexpr int64_t kMaxWindowPixels = int64_t{1} << 19;
constexpr int kMaxSide = 4096;
constexpr int kSmallSide = 160;

struct Session {
    PluginLibrary library;
    std::unique_ptr<Host> host;
    std::unique_ptr<Effect> generator;
    std::unique_ptr<Effect> filter;
};

Session* session = nullptr;

double anyDouble(FuzzedDataProvider& in) {
    return horavex::fuzz::anyDouble(in, {{-2.0, 2.0}, {-200.0, 10000.0}});
}

int anyInt(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange(-3, 60) : in.ConsumeIntegral<int>();
}

// Faces that are installed, that fontconfig only substitutes, and none.
const char* const kFaces[] = {"Arial", "Liberation_Sans", "Liberation_Mono", "DejaVu_Sans", "Sans", "Monospace",
                              "No_Such_Face", "Ärger"};

std::string fontString(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        return in.ConsumeRandomLengthString(64);
    }
    // Well-formed numbers, mostly of sensible size, and a face from the list.
    const int height = in.ConsumeBool() ? in.ConsumeIntegralInRange(-300, 300) : in.ConsumeIntegral<int>();
    const int weight = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 1000) : in.ConsumeIntegral<int>();
    char text[160];
    std::snprintf(text, sizeof text, "%d %d %d %d %d %d %s", height, in.ConsumeIntegralInRange(-1, 2),
                  in.ConsumeIntegralInRange(-1, 2), in.ConsumeIntegralInRange(-1, 2), weight,
                  in.ConsumeIntegral<uint8_t>(), kFaces[in.ConsumeIntegralInRange<size_t>(0, std::size(kFaces) - 1)]);
    return text;
}

void setParams(Effect& effect, FuzzedDataProvider& in) {
    for (Param* param : effect.params().list()) {
        param->resetToDefault();
    }
    // Mostly a sensible style, so that every one of them is reached often.
    effect.param("ClockChoice").setInt(in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 2) : anyInt(in));
    for (Param* param : effect.params().list()) {
        if (!in.ConsumeBool()) {
            continue;
        }
        const ParamTypeInfo& info = param->info();
        if (info.kind == ParamValueKind::Int) {
            std::vector<int> values(static_cast<size_t>(info.dimension));
            for (int& v : values) v = anyInt(in);
            param->setIntN(values);
        } else if (info.kind == ParamValueKind::Double) {
            std::vector<double> values(static_cast<size_t>(info.dimension));
            for (double& v : values) v = anyDouble(in);
            param->setDoubleN(values);
        } else if (info.kind == ParamValueKind::String) {
            param->setString(param->name() == "FontParam" ? fontString(in) : in.ConsumeRandomLengthString(300));
        }
    }
}

const char* depthOf(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0:
        case 1:
            return kOfxBitDepthShort;
        case 2:
        case 3:
            return kOfxBitDepthFloat;
        case 4:
            return kOfxBitDepthHalf;
        default:
            return kOfxBitDepthByte;
    }
}

OfxRectI imageBounds(FuzzedDataProvider& in) {
    // Mostly small frames; now and then one side up to the largest size.
    const bool large = in.ConsumeIntegralInRange(0, 7) == 0;
    int w = in.ConsumeIntegralInRange(1, large ? kMaxSide : kSmallSide);
    int h = in.ConsumeIntegralInRange(1, large ? kMaxSide : kSmallSide);
    while (int64_t{w} * h > kMaxImagePixels) {
        (w > h ? w : h) /= 2;
    }
    const int x = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(-5000, 5000);
    const int y = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(-5000, 5000);
    return OfxRectI{x, y, x + w, y + h};
}

OfxRectI renderWindow(FuzzedDataProvider& in, OfxRectI b) {
    const int w = b.x2 - b.x1;
    const int h = b.y2 - b.y1;
    OfxRectI r = b;
    switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:  // the whole image
            break;
        case 1:  // a part inside it
            r.x1 = b.x1 + in.ConsumeIntegralInRange(0, w - 1);
            r.y1 = b.y1 + in.ConsumeIntegralInRange(0, h - 1);
            r.x2 = r.x1 + in.ConsumeIntegralInRange(1, b.x2 - r.x1);
            r.y2 = r.y1 + in.ConsumeIntegralInRange(1, b.y2 - r.y1);
            break;
        case 2: {  // shifted, overlapping the image or not
            const int dx = in.ConsumeIntegralInRange(-2 * w, 2 * w);
            const int dy = in.ConsumeIntegralInRange(-2 * h, 2 * h);
            r = {b.x1 + dx, b.y1 + dy, b.x2 + dx, b.y2 + dy};
            break;
        }
        case 3:  // larger than the image
            r.x1 -= in.ConsumeIntegralInRange(0, kSmallSide);
            r.y1 -= in.ConsumeIntegralInRange(0, kSmallSide);
            r.x2 += in.ConsumeIntegralInRange(0, kSmallSide);
            r.y2 += in.ConsumeIntegralInRange(0, kSmallSide);
            break;
        case 4:  // empty or inverted
            r.x2 = r.x1 - in.ConsumeIntegralInRange(0, 5);
            if (in.ConsumeBool()) std::swap(r.y1, r.y2);
            break;
        default:  // anything
            r = {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(),
                 in.ConsumeIntegral<int>()};
            break;
    }
    // The surface is as large as the window; keep it affordable.
    const int64_t ww = std::max<int64_t>(0, int64_t{r.x2} - r.x1);
    const int64_t wh = std::max<int64_t>(0, int64_t{r.y2} - r.y1);
    if (ww > 0 && wh > kMaxWindowPixels / ww) {
        r.x2 = static_cast<int>(std::min<int64_t>(r.x2, int64_t{r.x1} + 512));
        r.y2 = static_cast<int>(std::min<int64_t>(r.y2, int64_t{r.y1} + 512));
    }
    return r;
}

// Every byte of the output outside the window's pixels keeps its value.
bool onlyWindowChanged(const ImageBuffer& image, const std::vector<std::byte>& before, OfxRectI window) {
    const OfxRectI b = image.bounds();
    const OfxRectI in{std::max(b.x1, window.x1), std::max(b.y1, window.y1), std::min(b.x2, window.x2),
                      std::min(b.y2, window.y2)};
    std::vector<char> writable(image.memorySize(), 0);
    if (in.x1 < in.x2 && in.y1 < in.y2) {
        const size_t rowSpan = static_cast<size_t>(in.x2 - in.x1) * static_cast<size_t>(image.bytesPerPixel());
        for (int y = in.y1; y < in.y2; ++y) {
            const size_t offset = static_cast<size_t>(image.address(in.x1, y) - image.memory());
            std::fill_n(writable.begin() + static_cast<std::ptrdiff_t>(offset), rowSpan, 1);
        }
    }
    for (size_t i = 0; i < before.size(); ++i) {
        if (writable[i] == 0 && image.memory()[i] != before[i]) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    session = new Session{PluginLibrary::open(HORAVEX_BUNDLE_PATH), nullptr, nullptr, nullptr};
    session->host = std::make_unique<Host>();
    // Nothing reads the call log here; kept on it would grow with every run.
    session->host->calls().setEnabled(false);
    session->host->bind(session->library.plugin(0), session->library.bundlePath().string());
    const OfxStatus loaded = session->host->load();
    FUZZ_CHECK(loaded == kOfxStatOK || loaded == kOfxStatReplyDefault);
    FUZZ_CHECK(session->host->describe() == kOfxStatOK);
    session->generator = session->host->createEffect(kOfxImageEffectContextGenerator);
    session->filter = session->host->createEffect(kOfxImageEffectContextFilter);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Effect& effect = in.ConsumeBool() ? *session->filter : *session->generator;

    ImageSpec layout;
    layout.bounds = imageBounds(in);
    layout.depth = depthOf(in);
    const int pixelBytes = 4 * bytesPerComponent(layout.depth);
    layout.rowBytes = (layout.bounds.x2 - layout.bounds.x1) * pixelBytes + in.ConsumeIntegralInRange(0, 3) * 16;
    layout.negativeRowBytes = in.ConsumeBool();
    layout.pixelAspectRatio = in.ConsumeBool() ? 1.0 : anyDouble(in);

    std::shared_ptr<ImageBuffer> source;
    if (Clip* clip = effect.findClip("Source")) {
        ImageSpec sourceLayout = layout;
        if (in.ConsumeIntegralInRange(0, 7) == 0) {
            // A host that ignores the one depth the plug-in declared.
            sourceLayout.depth = depthOf(in);
            sourceLayout.rowBytes = 0;
        }
        if (in.ConsumeBool()) {
            // A source that covers another region than the output.
            const int dx = in.ConsumeIntegralInRange(-64, 64);
            const int dy = in.ConsumeIntegralInRange(-64, 64);
            sourceLayout.bounds = {layout.bounds.x1 + dx, layout.bounds.y1 + dy, layout.bounds.x2 + dx, layout.bounds.y2 + dy};
            sourceLayout.negativeRowBytes = in.ConsumeBool();
        }
        source = clip->attachImage(sourceLayout);
        source->fillBytes(std::byte{in.ConsumeIntegral<uint8_t>()});
    }
    std::shared_ptr<ImageBuffer> output = effect.clip("Output").attachImage(layout);
    output->fillBytes(std::byte{in.ConsumeIntegral<uint8_t>()});

    RenderArgs args;
    args.window = renderWindow(in, layout.bounds);
    args.time = anyDouble(in);
    effect.properties().setDouble(kOfxImageEffectPropFrameRate, 0, anyDouble(in));
    setParams(effect, in);

    if (std::getenv("HORAVEX_FUZZ_SHOW") != nullptr) {
        // What a reproduced input asks for, to turn it into a test.
        std::fprintf(stderr, "%s %s bounds %d %d %d %d rowBytes %d%s par %g window %d %d %d %d time %g fps %g\n",
                     effect.context().c_str(), layout.depth.c_str(), layout.bounds.x1, layout.bounds.y1, layout.bounds.x2,
                     layout.bounds.y2, layout.rowBytes, layout.negativeRowBytes ? " negative" : "", layout.pixelAspectRatio,
                     args.window.x1, args.window.y1, args.window.x2, args.window.y2, args.time,
                     effect.properties().getDouble(kOfxImageEffectPropFrameRate));
        for (Param* param : effect.params().list()) {
            const ParamTypeInfo& info = param->info();
            std::string value;
            if (info.kind == ParamValueKind::String) {
                value = param->stringValue(args.time);
            } else if (info.kind != ParamValueKind::None) {
                for (double v : param->numbersAt(args.time)) value += std::to_string(v) + " ";
            }
            std::fprintf(stderr, "  %s = %s\n", param->name().c_str(), value.c_str());
        }
    }
    const std::vector<std::byte> before(output->memory(), output->memory() + output->memorySize());
    const OfxStatus status = effect.render(args);
    FUZZ_CHECK(status == kOfxStatOK || status == kOfxStatFailed || status == kOfxStatErrMemory ||
              status == kOfxStatErrImageFormat);
    FUZZ_CHECK(session->host->images().outstanding() == 0);
    FUZZ_CHECK(session->host->images().badReleases() == 0);
    FUZZ_CHECK(onlyWindowChanged(*output, before, args.window));

    session->host->images().clear();
    for (Clip* clip : effect.clips()) {
        clip->clearRequests();
        clip->clearImages();
    }
    return 0;
}
