// Which encoder, pixel format and settings a video file gets: defaults that
// suit its container (H.264 for .mp4, .mkv and .mov, VP9 for .webm, ProRes
// 4444 with alpha for a generator's .mov), or the encoder and options the
// command line names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/render/Arguments.h"
#include "tools/render/LibavHandles.h"

namespace horavex::cli {

struct EncoderChoice {
    const AVCodec* codec = nullptr;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    // The pixel format holds alpha, so the frames keep their transparency.
    bool keepsAlpha = false;
    // The encoder's options: its defaults here, then the command line's.
    std::vector<Setting> options;
};

// `extension` in lower case with its dot; `wantsAlpha` in the generator
// context. A "pix_fmt" option chooses the pixel format and is not passed on.
// Throws CliError(kExitBadCommandLine) for an unknown encoder, one that does
// not encode video, or a pixel format it does not take.
EncoderChoice chooseEncoder(const std::string& extension, bool wantsAlpha, const std::optional<std::string>& codecName,
                            const std::vector<Setting>& commandLineOptions);

}  // namespace horavex::cli
