// The frames of the timeline alone: the generator context (no source
// image), the built-in test pattern, or PNG files (one for every frame, or
// a #### pattern with one per frame). Frame numbers come from --frames.
#pragma once

#include <optional>
#include <string>

#include "tools/render/Arguments.h"
#include "tools/render/FrameSource.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {

// The picture at `path`; throws CliError(kExitFile) when it cannot be read.
RgbaImage readSourcePicture(const std::string& path);

class StillSource : public FrameSource {
public:
    // Reads the first PNG file of --source, if any (CliError(kExitFile)).
    explicit StillSource(const Options& options);

    const SourceInfo& info() const override { return info_; }
    void start(const host::ImageSpec& layout) override;
    std::optional<FrameStamp> next(std::shared_ptr<host::ImageBuffer>& image) override;

private:
    std::optional<std::string> pattern_;
    FrameRange frames_;
    SourceInfo info_;
    std::optional<RgbaImage> first_;
    FrameSize size_;
    int64_t nextFrame_;
};

}  // namespace horavex::cli
