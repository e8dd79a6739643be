// Where rendered frames go: PNG files or a raw stream (FrameWriter), or a
// video file (VideoWriter).
#pragma once

#include <memory>

#include "host/Image.h"
#include "tools/render/FrameSource.h"

namespace horavex::cli {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Takes the rendered output image. A sink that keeps it for later may
    // hand back another image of the same format in `output` for the next
    // render. Throws CliError(kExitFile) for a frame that cannot be written.
    virtual void write(const FrameStamp& stamp, std::shared_ptr<host::ImageBuffer>& output) = 0;
    // Everything written and, for a file, in place. Throws like write().
    virtual void finish() = 0;
};

}  // namespace horavex::cli
