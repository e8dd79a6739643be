#include "tools/render/StillSource.h"

#include "tools/render/PixelTransfer.h"
#include "tools/render/RenderSession.h"
#include "tools/render/TestPattern.h"

namespace horavex::cli {

namespace {

std::string sizeText(int width, int height) { return joinText({std::to_string(width), "x", std::to_string(height)}); }

}  // namespace

RgbaImage readSourcePicture(const std::string& path) {
    RgbaImage picture;
    std::string error;
    if (!readPng(path, picture, error)) {
        throw CliError(kExitFile, joinText({"cannot read the source ", inQuotes(path), ": ", error}));
    }
    return picture;
}

StillSource::StillSource(const Options& options)
    : pattern_(options.source), frames_(options.frames), nextFrame_(options.frames.first) {
    info_.frameCount = frames_.count();
    info_.size = options.size.value_or(kDefaultSize);
    if (pattern_) {
        first_ = readSourcePicture(expandFramePattern(*pattern_, frames_.first));
        info_.size = FrameSize{first_->width, first_->height};
    }
}

void StillSource::start(const host::ImageSpec& layout) {
    size_ = FrameSize{layout.bounds.x2 - layout.bounds.x1, layout.bounds.y2 - layout.bounds.y1};
}

std::optional<FrameStamp> StillSource::next(std::shared_ptr<host::ImageBuffer>& image) {
    if (nextFrame_ > frames_.last) return std::nullopt;
    const int64_t frame = nextFrame_++;
    if (image) {
        if (frame == frames_.first) {
            rgbaToImage(first_ ? *first_ : makeTestPattern(size_.width, size_.height), *image);
        } else if (pattern_ && hasFramePlaceholder(*pattern_)) {
            const std::string path = expandFramePattern(*pattern_, frame);
            const RgbaImage picture = readSourcePicture(path);
            if (picture.width != size_.width || picture.height != size_.height) {
                throw CliError(kExitBadCommandLine,
                               joinText({"the source ", inQuotes(path), " is ", sizeText(picture.width, picture.height),
                                         ", not ", sizeText(size_.width, size_.height), " like the frames"}));
            }
            rgbaToImage(picture, *image);
        }
    }
    return FrameStamp{frame, static_cast<double>(frame), frame - frames_.first};
}

}  // namespace horavex::cli
