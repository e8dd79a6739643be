// The render loop: each frame of the source into the instance's source
// clip, one render of the sequence, and the output image into the sink,
// which encodes on other threads while the next frames render.
#pragma once

#include "host/Effect.h"
#include "tools/render/Arguments.h"
#include "tools/render/FrameSink.h"
#include "tools/render/FrameSource.h"

namespace horavex::cli {

// The layout of the source and output images: `size` at the options' depth
// and pixel aspect ratio.
host::ImageSpec frameLayout(FrameSize size, PixelDepth depth, double pixelAspectRatio);

// Renders every frame the (started) source gives into the sink, then
// finishes the sink. With options.noClock the source's pixels pass to the
// sink without a render. Throws CliError: a render status other than OK
// (kExitRenderFailed), a source or output file (kExitFile), an
// interruption.
void renderFrames(host::Effect& effect, const Options& options, const host::ImageSpec& layout, FrameSource& source,
                  FrameSink& sink, bool showProgress);

}  // namespace horavex::cli
