// Where the frames of a render come from: the timeline alone (the generator
// context, or the built-in test pattern), PNG files, a raw stream on the
// standard input, or a video file. Each source says what it knows about its
// frames before the plug-in is loaded, because the frame size, the rate and
// the pixel aspect ratio of the instance follow from it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/clocktime/Timecode.h"
#include "host/Image.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

// One frame on its way from the source to the output.
struct FrameStamp {
    // Its index: names the PNG file, counts progress.
    int64_t frame = 0;
    // The render time on the timeline, in frames; a video frame's own
    // presentation time, counted from the clip's first frame.
    double time = 0.0;
    // Presentation time in ticks of the source's time base, counted from
    // the first rendered frame; the frame number where there is no stream.
    int64_t pts = 0;
};

struct SourceInfo {
    FrameSize size;
    double pixelAspectRatio = 1.0;
    // The exact frame rate, where the source has one of its own.
    std::optional<FrameRateRatio> rate;
    // Frames the render will take from it; an estimate for a video whose
    // container does not count them, -1 when nothing is known.
    int64_t frameCount = -1;
    // Metadata, as the file spells it.
    std::optional<std::string> creationTime;
    std::optional<std::string> timecode;
};

class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual const SourceInfo& info() const = 0;
    // Frames from now on fill images of `layout` (scaled where its size is
    // not the source's own).
    virtual void start(const host::ImageSpec& layout) = 0;
    // The next frame into `image`, the source clip's image, which the source
    // may replace by another of the same format; null in the generator
    // context, where only the stamps count. Nothing at the end. Throws
    // CliError(kExitFile) when a frame cannot be read.
    virtual std::optional<FrameStamp> next(std::shared_ptr<host::ImageBuffer>& image) = 0;
};

}  // namespace horavex::cli
