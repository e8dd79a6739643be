// Renders on several threads at once, as hosts with a render farm in one
// process do: every instance must draw exactly what it draws alone, whatever
// the others are doing. Built with ThreadSanitizer in CI (tools/ci/tsan.sh),
// where any unsynchronised access between the renders is a failure.
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

constexpr OfxRectI kFrame{0, 0, 160, 90};
constexpr int kFrames = 3;
constexpr const char* kSafetyProperty = kOfxImageEffectPluginRenderThreadSafety;

struct InstanceCase {
    const char* context;
    int style;  // 0 analogue, 1 digital (Pango), 2 LED
    const char* depth;
};

// Both contexts, every style, every depth once.
const InstanceCase kInstances[] = {
    {kOfxImageEffectContextGenerator, 0, kOfxBitDepthByte},  {kOfxImageEffectContextFilter, 0, kOfxBitDepthFloat},
    {kOfxImageEffectContextGenerator, 1, kOfxBitDepthShort}, {kOfxImageEffectContextFilter, 1, kOfxBitDepthByte},
    {kOfxImageEffectContextGenerator, 2, kOfxBitDepthFloat}, {kOfxImageEffectContextFilter, 2, kOfxBitDepthShort},
};

using Bytes = std::vector<std::byte>;

Bytes bytesOf(const ImageBuffer& image) { return Bytes(image.memory(), image.memory() + image.memorySize()); }

// One instance with its own images and distinct settings, so that a render
// picking up another instance's state would draw something else.
struct Worker {
    Worker(Host& host, const InstanceCase& c, int index) {
        effect = host.createEffect(c.context);
        effect->param("ClockChoice").setInt(c.style);
        effect->param("Start Hour").setInt(index + 1);
        effect->param("Dig Clock Format").setInt(index % 4);
        effect->param("FontParam").setString("-24 " + std::to_string(index % 2) + " 0 0 700 34 Liberation_Sans");
        images = attachFrame(*effect, imageSpec(kFrame, c.depth));
        if (images.source) {
            fillPattern(*images.source, static_cast<unsigned>(index));
        }
    }

    // The frames rendered one after another, each as the bytes of the output.
    std::vector<Bytes> renderFrames(OfxRectI window = kFrame) {
        std::vector<Bytes> frames;
        for (int frame = 0; frame < kFrames; ++frame) {
            fillImage(*images.output, Rgba{0.25, 0.5, 0.75, 1});
            status = effect->render(frame * 13.0, window);
            frames.push_back(bytesOf(*images.output));
        }
        return frames;
    }

    std::unique_ptr<Effect> effect;
    FrameImages images;
    OfxStatus status = kOfxStatOK;
};

class RenderThreads : public ::testing::Test {
protected:
    void SetUp() override {
        HostConfig config;
        // The plug-in's own parallel work, if any, runs on real threads too.
        config.threaded = true;
        config.cpuCount = 4;
        session = loadPlugin(pluginBundlePath(), config);
        ASSERT_EQ(session.host->describeInContext(kOfxImageEffectContextGenerator), kOfxStatOK);
        ASSERT_EQ(session.host->describeInContext(kOfxImageEffectContextFilter), kOfxStatOK);
    }

    std::string declaredSafety() {
        const PropertySet& props = session.host->descriptor().props();
        // The standard's default when the plug-in says nothing.
        return props.has(kSafetyProperty) ? props.getString(kSafetyProperty) : "OfxImageEffectRenderInstanceSafe";
    }

    PluginSession session;
};

TEST_F(RenderThreads, InstancesRenderingAtOnceDrawWhatTheyDrawAlone) {
    if (declaredSafety() == "OfxImageEffectRenderUnsafe") {
        GTEST_SKIP() << "the plug-in allows one render at a time in the process";
    }
    std::vector<std::unique_ptr<Worker>> workers;
    std::vector<std::vector<Bytes>> alone;
    for (std::size_t i = 0; i < std::size(kInstances); ++i) {
        workers.push_back(std::make_unique<Worker>(*session.host, kInstances[i], static_cast<int>(i)));
        alone.push_back(workers.back()->renderFrames());
        ASSERT_EQ(workers.back()->status, kOfxStatOK) << i;
    }

    std::vector<std::vector<Bytes>> together(workers.size());
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < workers.size(); ++i) {
            threads.emplace_back([&, i] { together[i] = workers[i]->renderFrames(); });
        }
    }
    for (std::size_t i = 0; i < workers.size(); ++i) {
        SCOPED_TRACE("instance " + std::to_string(i));
        EXPECT_EQ(workers[i]->status, kOfxStatOK);
        ASSERT_EQ(together[i].size(), alone[i].size());
        for (std::size_t f = 0; f < alone[i].size(); ++f) {
            EXPECT_TRUE(together[i][f] == alone[i][f]) << "frame " << f;
        }
    }
    EXPECT_EQ(session.host->images().outstanding(), 0u);
}

// What one instance may do at once is what the plug-in declares: fully safe
// means renders of one instance may overlap (here: one frame per thread, each
// into its own image); instance safe means the host renders it one call at a
// time, though from any of its threads.
TEST_F(RenderThreads, OneInstanceTakesRendersAsItsDeclarationAllows) {
    const bool overlapping = declaredSafety() == "OfxImageEffectRenderFullySafe";
    for (std::size_t i = 0; i < std::size(kInstances); ++i) {
        const InstanceCase& c = kInstances[i];
        SCOPED_TRACE(std::string(c.context) + " style " + std::to_string(c.style));
        Worker worker(*session.host, c, static_cast<int>(i));
        std::vector<std::shared_ptr<ImageBuffer>> outputs;
        for (int frame = 0; frame < kFrames; ++frame) {
            outputs.push_back(std::make_shared<ImageBuffer>(imageSpec(kFrame, c.depth)));
            worker.effect->clip("Output").setImageAt(frame, outputs.back());
            if (Clip* source = worker.effect->findClip("Source")) {
                auto picture = std::make_shared<ImageBuffer>(imageSpec(kFrame, c.depth));
                fillPattern(*picture, static_cast<unsigned>(frame));
                source->setImageAt(frame, picture);
            }
        }
        std::vector<Bytes> alone;
        for (int frame = 0; frame < kFrames; ++frame) {
            ASSERT_EQ(worker.effect->render(frame, kFrame), kOfxStatOK);
            alone.push_back(bytesOf(*outputs[static_cast<std::size_t>(frame)]));
        }

        for (auto& output : outputs) fillImage(*output, Rgba{0, 0, 0, 0});
        std::vector<OfxStatus> statuses(kFrames, kOfxStatErrUnknown);
        std::mutex oneAtATime;
        {
            std::vector<std::jthread> threads;
            for (int frame = 0; frame < kFrames; ++frame) {
                threads.emplace_back([&, frame] {
                    std::unique_lock lock(oneAtATime, std::defer_lock);
                    if (!overlapping) lock.lock();
                    statuses[static_cast<std::size_t>(frame)] = worker.effect->render(frame, kFrame);
                });
            }
        }
        for (int frame = 0; frame < kFrames; ++frame) {
            const auto f = static_cast<std::size_t>(frame);
            EXPECT_EQ(statuses[f], kOfxStatOK) << "frame " << frame;
            EXPECT_TRUE(bytesOf(*outputs[f]) == alone[f]) << "frame " << frame;
        }
        EXPECT_EQ(session.host->images().outstanding(), 0u);
    }
}

}  // namespace
}  // namespace horavex::host::testing
