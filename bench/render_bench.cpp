// Whole renders through the in-tree host, each set against a plain copy of its
// output frame (memcpy of the source for the filter, memset for the
// generator) taken in the same run and the same memory state:
//
// - "hot": source and output were just used, as when a host renders from
//   images in cache; "cold": a buffer larger than the caches is read before
//   every render and every copy, as when frames come from memory.
// - Render and copy alternate within each iteration; the copy writes the
//   very output image the render writes, whose address escapes to the
//   compiler, so it cannot be dropped.
// - Counters: render_ms and copy_ms are medians over the iterations, ratio
//   = render_ms / copy_ms; mean_ratio is the whole run's render time over its
//   copy time, so a clock drawn once in a while counts with its share.
// - floor_ms (median) is the same copy followed by a copy of the clock's
//   pixels (the rectangle where the first render differs from the plain
//   copy) from memory kept aside: what a render that keeps its clock's
//   pixels does at the least, without a single host call. It is timed after
//   the renders, as many times as they ran, and floor_ratio sets it against
//   a copy timed right after each (a write right after a render and one right
//   after a copy can differ by half on some machines).
//
// renderFrame renders consecutive frames of a 25 frames per second timeline
// in the default clock formats (the analogue clock changes once a second, the
// digital and LED text, showing milliseconds, every frame). newClock draws a
// new clock for every frame: the cost of drawing, not reuse. The reuse case
// renders 100 consecutive frames of "hh:mm:ss", where 24 of 25 frames show
// the clock before them. instancePerFrame renders every frame with a new
// instance, as MLT does. threads4k renders 3840x2160 float with 1, 2 and all
// of the machine's threads. smallFrame renders 64x64 frames: its render_ms is
// what each frame costs besides its pixels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "support/HostBuilders.h"

namespace {

using namespace horavex::host;
using namespace horavex::host::testing;
using Clock = std::chrono::steady_clock;

constexpr int kHot = 0;
constexpr int kCold = 1;

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Reading this pushes the frames out of every cache level.
class CacheFlusher {
public:
    CacheFlusher() : bytes_(size_t{96} << 20, 1) {}
    void flush() {
        unsigned sum = 0;
        for (size_t i = 0; i < bytes_.size(); i += 64) {
            sum += bytes_[i];
            bytes_[i] = static_cast<unsigned char>(sum);
        }
        benchmark::DoNotOptimize(sum);
        benchmark::ClobberMemory();
    }

private:
    std::vector<unsigned char> bytes_;
};

// Where a rendered frame differs from its plain copy: rows [firstRow,
// endRow), bytes [firstByte, endByte) of each.
struct ClockRect {
    int firstRow = 0;
    int endRow = 0;
    size_t firstByte = 0;
    size_t endByte = 0;

    bool empty() const { return endRow <= firstRow || endByte <= firstByte; }
    size_t rowBytes() const { return endByte - firstByte; }
};

ClockRect differingRect(const ImageBuffer& output, const ImageBuffer* source) {
    ClockRect rect;
    rect.firstRow = output.height();
    rect.firstByte = std::numeric_limits<size_t>::max();
    const auto bytes = static_cast<size_t>(output.width()) * static_cast<size_t>(output.bytesPerPixel());
    const std::vector<std::byte> zeros(bytes);
    for (int row = 0; row < output.height(); ++row) {
        const std::byte* rendered = output.address(output.bounds().x1, output.bounds().y1 + row);
        const std::byte* plain =
            source != nullptr ? source->address(source->bounds().x1, source->bounds().y1 + row) : zeros.data();
        size_t first = 0;
        while (first < bytes && rendered[first] == plain[first]) {
            ++first;
        }
        if (first == bytes) {
            continue;
        }
        size_t end = bytes;
        while (end > first && rendered[end - 1] == plain[end - 1]) {
            --end;
        }
        rect.firstRow = std::min(rect.firstRow, row);
        rect.endRow = row + 1;
        rect.firstByte = std::min(rect.firstByte, first);
        rect.endByte = std::max(rect.endByte, end);
    }
    return rect.endRow > 0 ? rect : ClockRect{};
}

struct Setup {
    int width = 1920;
    int height = 1080;
    bool floatDepth = false;
    bool filter = true;
    int style = 0;
    int memoryState = kHot;
    unsigned threads = 0;  // 0: every CPU
    double timeStep = 25.0;
    int digitalFormat = 0;
    bool instancePerFrame = false;  // every frame rendered by a new instance
};

void runRenders(benchmark::State& state, const Setup& setup) {
    HostConfig config;
    config.threaded = true;
    config.cpuCount = setup.threads;
    PluginSession session = loadEffect(setup.filter ? kOfxImageEffectContextFilter : kOfxImageEffectContextGenerator,
                                       pluginBundlePath(), EffectConfig{}, config);
    const OfxRectI bounds{0, 0, setup.width, setup.height};
    FrameImages images =
        attachFrame(*session.effect, imageSpec(bounds, setup.floatDepth ? kOfxBitDepthFloat : kOfxBitDepthByte));
    if (images.source) {
        fillPattern(*images.source, 5);
    }
    auto setUp = [&](Effect& effect) {
        effect.param("ClockChoice").setInt(setup.style);
        effect.param("ClockSize").setDouble(0.35);
        effect.param("Dig Clock Format").setInt(setup.digitalFormat);
    };
    setUp(*session.effect);
    // The instance of the next frame: the session's, or a new one on the same images.
    auto nextInstance = [&]() -> std::unique_ptr<Effect> {
        if (!setup.instancePerFrame) {
            return nullptr;
        }
        std::unique_ptr<Effect> effect = session.host->createEffect(
            setup.filter ? kOfxImageEffectContextFilter : kOfxImageEffectContextGenerator);
        if (images.source) {
            effect->clip(kOfxImageEffectSimpleSourceClipName).setImage(images.source);
        }
        effect->clip(kOfxImageEffectOutputClipName).setImage(images.output);
        setUp(*effect);
        return effect;
    };
    // Logging every suite call would measure the host, not the plug-in.
    session.host->calls().setEnabled(false);

    CacheFlusher flusher;
    ImageBuffer& output = *images.output;
    const ImageBuffer* source = images.source.get();
    auto prepare = [&] {
        if (setup.memoryState == kCold) {
            flusher.flush();
        }
    };

    std::vector<double> renders;
    std::vector<double> copies;
    std::vector<double> floors;
    std::vector<double> floorCopies;
    ClockRect clockRect;
    std::vector<std::byte> keptClock;
    // The plain copy of the frame, as the yardstick and the floor make it.
    auto plainCopy = [&](void* destination) {
        if (source != nullptr) {
            std::memcpy(destination, source->memory(), output.memorySize());
        } else {
            std::memset(destination, 0, output.memorySize());
        }
    };
    double renderTotal = 0.0;
    double copyTotal = 0.0;
    double frameTime = 0.0;
    for (auto _ : state) {
        std::unique_ptr<Effect> perFrame = nextInstance();
        Effect& effect = perFrame ? *perFrame : *session.effect;
        prepare();
        auto start = Clock::now();
        if (effect.render(frameTime, bounds) != kOfxStatOK) {
            state.SkipWithError("render failed");
            break;
        }
        const double render = std::chrono::duration<double>(Clock::now() - start).count();
        perFrame.reset();
        frameTime += setup.timeStep;
        if (renders.empty()) {
            clockRect = differingRect(output, source);
            for (int row = clockRect.firstRow; row < clockRect.endRow; ++row) {
                const std::byte* line = output.address(output.bounds().x1, output.bounds().y1 + row);
                keptClock.insert(keptClock.end(), line + clockRect.firstByte, line + clockRect.endByte);
            }
        }

        prepare();
        void* destination = output.memory();
        benchmark::DoNotOptimize(destination);
        start = Clock::now();
        plainCopy(destination);
        benchmark::ClobberMemory();
        const double copy = std::chrono::duration<double>(Clock::now() - start).count();

        renders.push_back(render);
        copies.push_back(copy);
        renderTotal += render;
        copyTotal += copy;
        state.SetIterationTime(render);
    }
    // The floor runs after the renders, not between them: two more frame
    // writes between renders change the state the next render meets (a
    // float frame's render measured half as slow again with them).
    for (size_t round = 0; round < renders.size() && !clockRect.empty(); ++round) {
        void* destination = output.memory();
        benchmark::DoNotOptimize(destination);
        prepare();
        auto start = Clock::now();
        plainCopy(destination);
        const std::byte* kept = keptClock.data();
        for (int row = clockRect.firstRow; row < clockRect.endRow; ++row, kept += clockRect.rowBytes()) {
            std::memcpy(output.address(output.bounds().x1, output.bounds().y1 + row) + clockRect.firstByte, kept,
                        clockRect.rowBytes());
        }
        benchmark::ClobberMemory();
        floors.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        // The floor follows a copy, not a render: it is set against a copy
        // that does too.
        prepare();
        start = Clock::now();
        plainCopy(destination);
        benchmark::ClobberMemory();
        floorCopies.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    const double renderMs = median(renders) * 1e3;
    const double copyMs = median(copies) * 1e3;
    state.counters["render_ms"] = renderMs;
    state.counters["copy_ms"] = copyMs;
    state.counters["ratio"] = copyMs > 0.0 ? renderMs / copyMs : 0.0;
    state.counters["mean_ratio"] = copyTotal > 0.0 ? renderTotal / copyTotal : 0.0;
    if (!floors.empty()) {
        const double floorMs = median(floors) * 1e3;
        const double floorCopyMs = median(floorCopies) * 1e3;
        state.counters["floor_ms"] = floorMs;
        state.counters["floor_ratio"] = floorCopyMs > 0.0 ? floorMs / floorCopyMs : 0.0;
    }
    state.SetLabel(std::string(setup.filter ? "filter " : "generator ") + (setup.floatDepth ? "float " : "8-bit ") +
                   (setup.style == 0 ? "analogue" : setup.style == 1 ? "digital" : "LED") +
                   (setup.memoryState == kCold ? " cold" : " hot"));
}

Setup frameSetup(const benchmark::State& state) {
    Setup setup;
    if (state.range(0) != 0) {
        setup.width = 3840;
        setup.height = 2160;
    }
    setup.floatDepth = state.range(1) != 0;
    setup.filter = state.range(2) != 0;
    setup.style = static_cast<int>(state.range(3));
    setup.memoryState = static_cast<int>(state.range(4));
    return setup;
}

void renderFrame(benchmark::State& state) {
    Setup setup = frameSetup(state);
    setup.timeStep = 1.0;
    runRenders(state, setup);
}

void newClock(benchmark::State& state) {
    Setup setup = frameSetup(state);
    setup.timeStep = 25.0;
    runRenders(state, setup);
}

void reuse(benchmark::State& state) {
    Setup setup;
    setup.style = static_cast<int>(state.range(0));
    setup.memoryState = static_cast<int>(state.range(1));
    setup.timeStep = 1.0;
    setup.digitalFormat = 3;  // hh:mm:ss
    runRenders(state, setup);
}

// As MLT renders a plug-in that lets it render frames at once: every frame
// by a new instance (made and dropped outside the timed render: the in-tree
// host's making of instances is not ours to measure), 50 consecutive
// 1920x1080 8-bit filter frames at 25 fps. The clocks one instance drew
// serve the next.
void instancePerFrame(benchmark::State& state) {
    Setup setup;
    setup.style = static_cast<int>(state.range(0));
    setup.timeStep = 1.0;
    setup.instancePerFrame = true;
    runRenders(state, setup);
}

// A 64x64 frame: what a frame costs besides its pixels (the suite calls,
// the parameters, the time text), against a copy that costs next to nothing.
void smallFrame(benchmark::State& state) {
    Setup setup;
    setup.width = 64;
    setup.height = 64;
    setup.style = static_cast<int>(state.range(0));
    setup.timeStep = 1.0;
    setup.digitalFormat = 3;  // hh:mm:ss
    runRenders(state, setup);
}

void threads4k(benchmark::State& state) {
    Setup setup;
    setup.width = 3840;
    setup.height = 2160;
    setup.floatDepth = true;
    setup.threads = static_cast<unsigned>(state.range(0));
    setup.memoryState = static_cast<int>(state.range(1));
    runRenders(state, setup);
}

// The wait a fresh process sees: loading and describing (where the fonts
// are made ready) and then the first 1920x1080 render of each style. Only
// meaningful as the first thing a process does:
//   horavex_bench_render --benchmark_filter=firstFrame
void firstFrame(benchmark::State& state) {
    for (auto _ : state) {
        auto start = Clock::now();
        PluginSession session = loadEffect(kOfxImageEffectContextFilter);
        const double loadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const OfxRectI bounds{0, 0, 1920, 1080};
        FrameImages images = attachFrame(*session.effect, imageSpec(bounds));
        fillPattern(*images.source, 5);
        session.effect->param("ClockChoice").setInt(static_cast<int>(state.range(0)));
        start = Clock::now();
        if (session.effect->render(0.0, bounds) != kOfxStatOK) {
            state.SkipWithError("render failed");
            break;
        }
        const double renderMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        state.SetIterationTime(renderMs / 1e3);
        state.counters["load_describe_create_ms"] = loadMs;
        state.counters["first_render_ms"] = renderMs;
    }
}

BENCHMARK(firstFrame)->ArgName("style")->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// 50 frames: the analogue clock is drawn twice.
BENCHMARK(renderFrame)
    ->ArgNames({"4k", "float", "filter", "style", "cold"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1, 2}, {kHot, kCold}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

BENCHMARK(newClock)
    ->ArgNames({"4k", "float", "filter", "style", "cold"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1, 2}, {kHot}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(25);

// 100 consecutive frames at 25 frames per second.
BENCHMARK(reuse)
    ->ArgNames({"style", "cold"})
    ->ArgsProduct({{0, 1, 2}, {kHot, kCold}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

BENCHMARK(instancePerFrame)
    ->ArgName("style")
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

BENCHMARK(smallFrame)
    ->ArgName("style")
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

BENCHMARK(threads4k)
    ->ArgNames({"threads", "cold"})
    ->ArgsProduct({{1, 2, 0}, {kHot, kCold}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(25);

}  // namespace

BENCHMARK_MAIN();
