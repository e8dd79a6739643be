#include "tools/render/VideoCodecDefaults.h"

#include <algorithm>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "tools/render/RenderSession.h"

namespace horavex::cli {

namespace {

std::string defaultEncoder(const std::string& extension, bool wantsAlpha) {
    if (extension == ".webm") return "libvpx-vp9";
    if (extension == ".mov" && wantsAlpha) return "prores_ks";
    return "libx264";
}

// Visually lossless H.264; VP9 at a quality of the same kind and a speed
// that does not keep a render waiting.
std::vector<Setting> encoderDefaults(const std::string& name) {
    if (name == "libx264") return {{"crf", "18"}, {"preset", "medium"}};
    if (name == "libvpx-vp9") return {{"crf", "24"}, {"b", "0"}, {"row-mt", "1"}, {"cpu-used", "4"}};
    return {};
}

bool hasAlpha(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

std::vector<AVPixelFormat> supportedFormats(const AVCodec& codec) {
    std::vector<AVPixelFormat> formats;
    for (const AVPixelFormat* f = codec.pix_fmts; f != nullptr && *f != AV_PIX_FMT_NONE; ++f) formats.push_back(*f);
    return formats;
}

AVPixelFormat bestOf(std::vector<AVPixelFormat> formats, bool alpha) {
    formats.push_back(AV_PIX_FMT_NONE);
    return avcodec_find_best_pix_fmt_of_list(formats.data(), alpha ? AV_PIX_FMT_RGBA64 : AV_PIX_FMT_RGB48, alpha ? 1 : 0,
                                             nullptr);
}

AVPixelFormat defaultFormat(const std::string& name, const std::vector<AVPixelFormat>& formats, bool wantsAlpha) {
    if (formats.empty()) return wantsAlpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_YUV420P;
    if (name == "prores_ks" && wantsAlpha) return AV_PIX_FMT_YUVA444P10LE;
    std::vector<AVPixelFormat> withAlpha;
    std::copy_if(formats.begin(), formats.end(), std::back_inserter(withAlpha), hasAlpha);
    if (wantsAlpha && !withAlpha.empty()) {
        if (std::find(withAlpha.begin(), withAlpha.end(), AV_PIX_FMT_YUVA420P) != withAlpha.end()) {
            return AV_PIX_FMT_YUVA420P;
        }
        return bestOf(withAlpha, true);
    }
    if (std::find(formats.begin(), formats.end(), AV_PIX_FMT_YUV420P) != formats.end()) return AV_PIX_FMT_YUV420P;
    return bestOf(formats, false);
}

}  // namespace

EncoderChoice chooseEncoder(const std::string& extension, bool wantsAlpha, const std::optional<std::string>& codecName,
                            const std::vector<Setting>& commandLineOptions) {
    const std::string name = codecName.value_or(defaultEncoder(extension, wantsAlpha));
    EncoderChoice choice;
    choice.codec = avcodec_find_encoder_by_name(name.c_str());
    if (choice.codec == nullptr) {
        if (const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(name.c_str())) {
            choice.codec = avcodec_find_encoder(descriptor->id);
        }
    }
    if (choice.codec == nullptr || choice.codec->type != AVMEDIA_TYPE_VIDEO) {
        throw CliError(kExitBadCommandLine,
                       joinText({"no video encoder ", inQuotes(name),
                                 " here; `ffmpeg -encoders` lists those of this system's FFmpeg libraries"}));
    }
    const std::string encoder = choice.codec->name;
    const std::vector<AVPixelFormat> formats = supportedFormats(*choice.codec);
    choice.pixelFormat = defaultFormat(encoder, formats, wantsAlpha);
    choice.options = encoderDefaults(encoder);
    for (const Setting& option : commandLineOptions) {
        if (option.name == "pix_fmt" || option.name == "pixel_format") {
            const AVPixelFormat format = av_get_pix_fmt(option.value.c_str());
            if (format == AV_PIX_FMT_NONE ||
                (!formats.empty() && std::find(formats.begin(), formats.end(), format) == formats.end())) {
                throw CliError(kExitBadCommandLine, joinText({"the encoder ", encoder, " does not take the pixel format ",
                                                              inQuotes(option.value)}));
            }
            choice.pixelFormat = format;
            continue;
        }
        std::erase_if(choice.options, [&](const Setting& s) { return s.name == option.name; });
        choice.options.push_back(option);
    }
    choice.keepsAlpha = hasAlpha(choice.pixelFormat);
    return choice;
}

}  // namespace horavex::cli
