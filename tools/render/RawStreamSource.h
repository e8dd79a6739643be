// --source -: frames as a raw stream on the standard input, the mirror of
// --out -. Each frame is straight RGBA, rows from the top, one byte a sample
// at depth 8, else two bytes little endian (ffmpeg's rgba / rgba64le), of
// the size given with --size. The stream's first frame is frame 0; --frames
// picks from it, and without --frames every frame up to its end is taken.
#pragma once

#include <cstdio>
#include <vector>

#include "tools/render/Arguments.h"
#include "tools/render/FrameSource.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {

class RawStreamSource : public FrameSource {
public:
    RawStreamSource(const Options& options, std::FILE* in);

    const SourceInfo& info() const override { return info_; }
    void start(const host::ImageSpec& layout) override;
    std::optional<FrameStamp> next(std::shared_ptr<host::ImageBuffer>& image) override;

private:
    // False at the end of the stream before the frame's first byte; throws
    // CliError(kExitFile) for a stream that ends inside a frame.
    bool readFrame(int64_t frame);

    std::FILE* in_;
    SourceInfo info_;
    std::optional<FrameRange> frames_;
    int64_t nextFrame_ = 0;
    std::vector<unsigned char> bytes_;
    RgbaImage picture_;
};

}  // namespace horavex::cli
