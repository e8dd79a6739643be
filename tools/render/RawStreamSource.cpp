#include "tools/render/RawStreamSource.h"

#include <algorithm>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "ofxapi/OfxNames.h"
#include "tools/render/PixelTransfer.h"
#include "tools/render/RenderSession.h"

namespace horavex::cli {

RawStreamSource::RawStreamSource(const Options& options, std::FILE* in) : in_(in) {
    info_.size = options.size.value_or(kDefaultSize);
    info_.pixelAspectRatio = options.pixelAspectRatio;
    if (options.framesGiven) {
        frames_ = options.frames;
        info_.frameCount = options.frames.count();
    }
#ifdef _WIN32
    _setmode(_fileno(in_), _O_BINARY);
#endif
}

void RawStreamSource::start(const host::ImageSpec& layout) {
    const int bitDepth = layout.depth == kOfxBitDepthByte ? 8 : 16;
    picture_.resize(layout.bounds.x2 - layout.bounds.x1, layout.bounds.y2 - layout.bounds.y1, bitDepth);
    bytes_.resize(picture_.samples.size() * (bitDepth == 8 ? 1 : 2));
}

bool RawStreamSource::readFrame(int64_t frame) {
    const std::size_t got = std::fread(bytes_.data(), 1, bytes_.size(), in_);
    if (got == 0 && std::feof(in_)) return false;
    if (got != bytes_.size()) {
        throw CliError(kExitFile, joinText({"the raw stream on the standard input ends inside frame ",
                                            std::to_string(frame), " (", std::to_string(got), " of ",
                                            std::to_string(bytes_.size()), " bytes); is --size or --depth right?"}));
    }
    return true;
}

std::optional<FrameStamp> RawStreamSource::next(std::shared_ptr<host::ImageBuffer>& image) {
    const int64_t first = frames_ ? std::max<int64_t>(frames_->first, 0) : 0;
    while (nextFrame_ < first) {
        if (!readFrame(nextFrame_)) return std::nullopt;
        ++nextFrame_;
    }
    if (frames_ && nextFrame_ > frames_->last) return std::nullopt;
    if (!readFrame(nextFrame_)) return std::nullopt;
    if (picture_.bitDepth == 8) {
        for (std::size_t i = 0; i < bytes_.size(); ++i) picture_.samples[i] = bytes_[i];
    } else {
        for (std::size_t i = 0; i < picture_.samples.size(); ++i) {
            picture_.samples[i] = static_cast<uint16_t>(bytes_[2 * i] | (bytes_[2 * i + 1] << 8));
        }
    }
    if (image) rgbaToImage(picture_, *image);
    const int64_t frame = nextFrame_++;
    return FrameStamp{frame, static_cast<double>(frame), frame - first};
}

}  // namespace horavex::cli
