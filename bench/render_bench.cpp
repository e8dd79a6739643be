// Whole renders through the in-tree host, each set against a plain copy of its
// output frame: memcpy of the source for the filter, memset for the generator.
// The "ratio" counter is render time over copy time; the goal is at most 1.5.
#include <benchmark/benchmark.h>

#include <chrono>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/HostBuilders.h"

namespace {

using namespace horavex::host;
using namespace horavex::host::testing;
using Clock = std::chrono::steady_clock;

struct Frame {
    int width;
    int height;
};

// The time one plain copy (or clear) of the frame takes, best of a few runs.
double copySeconds(const ImageBuffer& from, ImageBuffer& to, bool clearOnly) {
    double best = 1e9;
    for (int run = 0; run < 20; ++run) {
        const auto start = Clock::now();
        if (clearOnly) {
            std::memset(to.memory(), 0, to.memorySize());
        } else {
            std::memcpy(to.memory(), from.memory(), to.memorySize());
        }
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void renderFrame(benchmark::State& state) {
    const Frame frame = state.range(0) == 0 ? Frame{1920, 1080} : Frame{3840, 2160};
    const bool floatDepth = state.range(1) != 0;
    const bool filter = state.range(2) != 0;
    const int style = static_cast<int>(state.range(3));

    PluginSession session = loadEffect(filter ? kOfxImageEffectContextFilter : kOfxImageEffectContextGenerator);
    const OfxRectI bounds{0, 0, frame.width, frame.height};
    FrameImages images =
        attachFrame(*session.effect, imageSpec(bounds, floatDepth ? kOfxBitDepthFloat : kOfxBitDepthByte));
    if (images.source) {
        fillPattern(*images.source, 5);
    }
    session.effect->param("ClockChoice").setInt(style);
    session.effect->param("ClockSize").setDouble(0.35);
    // Logging every suite call would measure the host, not the plug-in.
    session.host->calls().setEnabled(false);

    ImageBuffer scratch(images.output->format());
    const double copy = copySeconds(images.source ? *images.source : *images.output, scratch, !images.source);

    double frameTime = 0.0;
    double total = 0.0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (session.effect->render(frameTime, bounds) != kOfxStatOK) {
            state.SkipWithError("render failed");
            break;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        frameTime += 1.0;
    }
    const double perFrame = state.iterations() > 0 ? total / static_cast<double>(state.iterations()) : 0.0;
    state.counters["copy_ms"] = copy * 1e3;
    state.counters["ratio"] = perFrame / copy;
    state.SetLabel(std::string(filter ? "filter " : "generator ") + (floatDepth ? "float " : "8-bit ") +
                   (style == 0 ? "analogue" : style == 1 ? "digital" : "LED"));
}

BENCHMARK(renderFrame)
    ->ArgNames({"4k", "float", "filter", "style"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1, 2}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);

}  // namespace

BENCHMARK_MAIN();
