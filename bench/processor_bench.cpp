// The pixel processors against the plain memory traffic of the same frame:
// a render should cost little more than copying its frame, so the pixels
// outside the clock must go at memcpy/memset speed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "ofxapi/OfxApi.h"
#include "core/compositing/Processor.h"

namespace horavex {
namespace {

enum class Area { Clock, WholeSurface };

// A surface as the analogue style leaves it: an opaque disc with an
// anti-aliased rim, radius 35 % of the height / 2, in the middle of the frame.
struct DrawnSurface {
    std::vector<unsigned char> bytes;
    OfxRectI clockRect{};
};

DrawnSurface drawClock(int width, int height) {
    DrawnSurface surface;
    surface.bytes.assign(static_cast<std::size_t>(width) * height * 4, 0);
    const double radius = 0.35 * height / 2.0;
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double coverage = std::fmin(1.0, std::fmax(0.0, radius - distance + 0.5));
            if (coverage <= 0.0) {
                continue;
            }
            unsigned char* p = surface.bytes.data() + (static_cast<std::size_t>(y) * width + x) * 4;
            p[0] = 40;
            p[1] = static_cast<unsigned char>(x);
            p[2] = 220;
            p[3] = static_cast<unsigned char>(std::lround(coverage * 255.0));
        }
    }
    const int x1 = static_cast<int>(cx - radius);
    const int y1 = static_cast<int>(cy - radius);
    const int size = static_cast<int>(2.0 * radius) + 1;
    surface.clockRect = OfxRectI{x1, y1, x1 + size, y1 + size};
    return surface;
}

std::vector<unsigned char> filledFrame(std::size_t bytes) {
    std::vector<unsigned char> frame(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        frame[i] = static_cast<unsigned char>(i * 31 + 7);
    }
    return frame;
}

template <typename Processor, typename PIX>
void processFrame(benchmark::State& state, bool withSource, Area area) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const OfxRectI rect{0, 0, width, height};
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * sizeof(PIX);
    const int rowBytes = width * static_cast<int>(sizeof(PIX));
    const DrawnSurface surface = drawClock(width, height);
    const std::vector<unsigned char> source = filledFrame(frameBytes);
    std::vector<unsigned char> output = filledFrame(frameBytes);
    const OfxRectI drawRect = area == Area::Clock ? surface.clockRect : rect;
    for (auto _ : state) {
        Processor processor([] { return false; }, false, drawRect, OfxRGBAColourB{0, 0, 0, 0},
                            surface.bytes.data(), withSource ? source.data() : nullptr,
                            withSource ? rect : OfxRectI{0, 0, 0, 0}, withSource ? rowBytes : 0,
                            output.data(), rect, rowBytes, width * 4, rect);
        processor.run();
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(frameBytes));
}

void process8bit(benchmark::State& state, bool withSource, Area area) {
    processFrame<ProcessRGBA8, OfxRGBAColourB>(state, withSource, area);
}

void processFloat(benchmark::State& state, bool withSource, Area area) {
    processFrame<ProcessRGBAFloat, OfxRGBAColourF>(state, withSource, area);
}

void copyFrame(benchmark::State& state, std::size_t pixelBytes) {
    const std::size_t frameBytes = static_cast<std::size_t>(state.range(0)) * state.range(1) * pixelBytes;
    const std::vector<unsigned char> source = filledFrame(frameBytes);
    std::vector<unsigned char> output = filledFrame(frameBytes);
    for (auto _ : state) {
        std::memcpy(output.data(), source.data(), frameBytes);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(frameBytes));
}

void clearFrame(benchmark::State& state, std::size_t pixelBytes) {
    const std::size_t frameBytes = static_cast<std::size_t>(state.range(0)) * state.range(1) * pixelBytes;
    std::vector<unsigned char> output = filledFrame(frameBytes);
    for (auto _ : state) {
        std::memset(output.data(), 0, frameBytes);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(frameBytes));
}

void frameSizes(benchmark::internal::Benchmark* b) {
    b->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(copyFrame, memcpy_8bit, sizeof(OfxRGBAColourB))->Apply(frameSizes);
BENCHMARK_CAPTURE(clearFrame, memset_8bit, sizeof(OfxRGBAColourB))->Apply(frameSizes);
BENCHMARK_CAPTURE(process8bit, filter_8bit_clock, true, Area::Clock)
    ->Apply(frameSizes);
BENCHMARK_CAPTURE(process8bit, generator_8bit_clock, false, Area::Clock)
    ->Apply(frameSizes);
BENCHMARK_CAPTURE(process8bit, filter_8bit_whole, true, Area::WholeSurface)
    ->Apply(frameSizes);
BENCHMARK_CAPTURE(process8bit, generator_8bit_whole, false,
                  Area::WholeSurface)
    ->Apply(frameSizes);

BENCHMARK_CAPTURE(copyFrame, memcpy_float, sizeof(OfxRGBAColourF))->Apply(frameSizes);
BENCHMARK_CAPTURE(clearFrame, memset_float, sizeof(OfxRGBAColourF))->Apply(frameSizes);
BENCHMARK_CAPTURE(processFloat, filter_float_clock, true, Area::Clock)
    ->Apply(frameSizes);
BENCHMARK_CAPTURE(processFloat, generator_float_clock, false, Area::Clock)
    ->Apply(frameSizes);
BENCHMARK_CAPTURE(processFloat, filter_float_whole, true,
                  Area::WholeSurface)
    ->Apply(frameSizes);
BENCHMARK_CAPTURE(processFloat, generator_float_whole, false,
                  Area::WholeSurface)
    ->Apply(frameSizes);

}  // namespace
}  // namespace horavex
