// Writing rendered frames at the speed they are rendered: each frame's
// pixels are converted and encoded on a thread of its own, several frames at
// once (as many as the machine has CPUs), while the next frames render. PNG
// files go to their names; a raw stream goes to the standard output, frames
// in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "host/Image.h"
#include "tools/render/FrameSink.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {

// The raw stream's bytes of one picture: straight RGBA, rows from the top,
// one byte a sample at bit depth 8, else two bytes little endian.
std::vector<unsigned char> rawFrameBytes(const RgbaImage& picture);
// The same from an output image, into `bytes` (resized as needed).
void rawFrameBytes(const host::ImageBuffer& image, std::vector<unsigned char>& bytes);

class FrameWriter : public FrameSink {
public:
    // `pathOf(frame)` names a frame's PNG file; without one (the raw stream)
    // frames go to `rawOut`. `inFlight` frames are worked on at most at once,
    // 0 meaning one more than the machine's CPUs.
    FrameWriter(std::function<std::string(int64_t)> pathOf, int compression, std::FILE* rawOut,
                unsigned inFlight = 0);
    // Waits for the frames under way; reports nothing.
    ~FrameWriter() override;
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Takes a copy of the output image and returns once the copy is made
    // (after waiting for the oldest frame when enough are under way).
    // Throws CliError(kExitFile) for a frame that could not be written.
    void write(int64_t frame, const host::ImageBuffer& output);
    void write(const FrameStamp& stamp, std::shared_ptr<host::ImageBuffer>& output) override {
        write(stamp.frame, *output);
    }
    // Waits for every frame; throws like write().
    void finish() override;

private:
    // What a frame's work hands back: its image copy and raw bytes, for the
    // next frames to reuse (fresh frame-sized memory costs page faults).
    struct Done {
        std::shared_ptr<host::ImageBuffer> copy;
        std::vector<unsigned char> bytes;
    };

    void completeOldest();

    std::function<std::string(int64_t)> pathOf_;
    int compression_;
    std::FILE* rawOut_;
    unsigned inFlight_;
    // Each frame's result in order, or its failure.
    std::deque<std::future<Done>> pending_;
    std::vector<Done> spare_;
};

}  // namespace horavex::cli
