#include "tools/render/VideoWriter.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/timecode.h>
}

#include "tools/render/RenderSession.h"
#include "tools/render/VideoReader.h"

namespace horavex::cli {

namespace {

std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : toLower(std::string_view(path).substr(dot));
}

struct DictionaryFreer {
    void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

}  // namespace

VideoWriter::VideoWriter(const VideoOutput& output)
    : path_(output.path), timeBase_(output.timeBase), source_(output.source) {
    silenceLibav();
    std::string reason;
    if (!temporary_.create(path_, reason)) fail(kExitFile, reason);
    const AVOutputFormat* container = av_guess_format(nullptr, path_.c_str(), nullptr);
    AVFormatContext* made = nullptr;
    if (container == nullptr || avformat_alloc_output_context2(&made, container, nullptr, temporary_.path().c_str()) < 0) {
        fail(kExitFile, "no container for its extension");
    }
    format_.reset(made);
    openEncoder(output);
    addAudioStreams();
    copyMetadata(output);
    const int opened = avio_open(&format_->pb, temporary_.path().c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) fail(kExitFile, avErrorText(opened));
    const int header = avformat_write_header(format_.get(), nullptr);
    if (header < 0) fail(kExitFile, avErrorText(header));
    frame_ = newFrame();
    frame_->format = encoder_->pix_fmt;
    frame_->width = encoder_->width;
    frame_->height = encoder_->height;
    frame_->colorspace = encoder_->colorspace;
    frame_->color_range = encoder_->color_range;
    if (av_frame_get_buffer(frame_.get(), 0) < 0) throw std::bad_alloc();
    packet_ = newPacket();
    thread_ = std::thread([this] { run(); });
}

VideoWriter::~VideoWriter() {
    abandoned_ = true;
    queue_.close();
    if (thread_.joinable()) thread_.join();
}

void VideoWriter::fail(int exitCode, const std::string& why) const {
    throw CliError(exitCode, joinText({"cannot write ", inQuotes(path_), ": ", why}));
}

void VideoWriter::openEncoder(const VideoOutput& output) {
    choice_ = chooseEncoder(lowerExtension(path_), output.wantsAlpha, output.codec, output.codecOptions);
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(choice_.pixelFormat);
    const int xStep = 1 << pixels->log2_chroma_w;
    const int yStep = 1 << pixels->log2_chroma_h;
    if (output.size.width % xStep != 0 || output.size.height % yStep != 0) {
        fail(kExitFile, joinText({"its frames would be ", std::to_string(output.size.width), "x",
                                  std::to_string(output.size.height), ", and ", av_get_pix_fmt_name(choice_.pixelFormat),
                                  " video needs a width divisible by ", std::to_string(xStep),
                                  " and a height divisible by ", std::to_string(yStep),
                                  "; give such a --size (the source is scaled to it) or --codec-option "
                                  "pix_fmt=yuv444p"}));
    }
    if (avformat_query_codec(format_->oformat, choice_.codec->id, FF_COMPLIANCE_NORMAL) == 0) {
        throw CliError(kExitBadCommandLine, joinText({"the encoder ", choice_.codec->name, " cannot be written to ",
                                                      lowerExtension(path_), " files"}));
    }

    encoder_.reset(avcodec_alloc_context3(choice_.codec));
    if (!encoder_) throw std::bad_alloc();
    AVCodecContext& e = *encoder_;
    e.width = output.size.width;
    e.height = output.size.height;
    e.pix_fmt = choice_.pixelFormat;
    e.time_base = output.timeBase;
    e.framerate = AVRational{static_cast<int>(output.rate.numerator), static_cast<int>(output.rate.denominator)};
    e.sample_aspect_ratio = av_d2q(output.pixelAspectRatio, 1000);
    e.thread_count = 0;
    if ((pixels->flags & AV_PIX_FMT_FLAG_RGB) != 0) {
        e.colorspace = AVCOL_SPC_RGB;
        e.color_range = AVCOL_RANGE_JPEG;
    } else {
        e.colorspace = defaultColorSpace(output.size.height);
        e.color_range = AVCOL_RANGE_MPEG;
        const bool hd = e.colorspace == AVCOL_SPC_BT709;
        e.color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_BT470BG;
        e.color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    }
    if ((format_->oformat->flags & AVFMT_GLOBALHEADER) != 0) e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* raw = nullptr;
    for (const Setting& option : choice_.options) av_dict_set(&raw, option.name.c_str(), option.value.c_str(), 0);
    const int opened = avcodec_open2(&e, choice_.codec, &raw);
    const std::unique_ptr<AVDictionary, DictionaryFreer> left(raw);
    if (opened < 0) {
        throw CliError(kExitBadCommandLine, joinText({"the encoder ", choice_.codec->name,
                                                      " refuses its settings (", avErrorText(opened), ")"}));
    }
    if (const AVDictionaryEntry* unknown = av_dict_get(left.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
        throw CliError(kExitBadCommandLine, joinText({"the encoder ", choice_.codec->name, " has no option ",
                                                      inQuotes(unknown->key)}));
    }

    videoStream_ = avformat_new_stream(format_.get(), nullptr);
    if (videoStream_ == nullptr) throw std::bad_alloc();
    if (avcodec_parameters_from_context(videoStream_->codecpar, &e) < 0) throw std::bad_alloc();
    videoStream_->time_base = e.time_base;
    videoStream_->avg_frame_rate = e.framerate;
    videoStream_->r_frame_rate = e.framerate;
    videoStream_->sample_aspect_ratio = e.sample_aspect_ratio;
    frameTicks_ = std::max<int64_t>(av_rescale_q(1, av_inv_q(e.framerate), timeBase_), 1);
}

void VideoWriter::addAudioStreams() {
    if (source_ == nullptr) return;
    const AVFormatContext& input = source_->container();
    audioMap_.assign(input.nb_streams, -1);
    for (const int index : source_->audioStreams()) {
        const AVStream* in = input.streams[index];
        if (avformat_query_codec(format_->oformat, in->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
            fail(kExitFile, joinText({"the source's ", avcodec_get_name(in->codecpar->codec_id), " audio cannot go into ",
                                      lowerExtension(path_), " files unchanged; write .mkv or .mov"}));
        }
        AVStream* out = avformat_new_stream(format_.get(), nullptr);
        if (out == nullptr || avcodec_parameters_copy(out->codecpar, in->codecpar) < 0) throw std::bad_alloc();
        out->codecpar->codec_tag = 0;
        out->time_base = in->time_base;
        av_dict_copy(&out->metadata, in->metadata, 0);
        out->disposition = in->disposition;
        audioMap_[static_cast<std::size_t>(index)] = out->index;
    }
}

void VideoWriter::copyMetadata(const VideoOutput& output) {
    if (source_ == nullptr) return;
    const SourceInfo& info = source_->info();
    if (info.creationTime) av_dict_set(&format_->metadata, "creation_time", info.creationTime->c_str(), 0);
    if (info.timecode) {
        AVTimecode timecode{};
        const AVRational rate{static_cast<int>(output.rate.numerator), static_cast<int>(output.rate.denominator)};
        if (av_timecode_init_from_string(&timecode, rate, info.timecode->c_str(), nullptr) == 0) {
            char text[AV_TIMECODE_STR_SIZE] = {};
            av_timecode_make_string(&timecode, text, static_cast<int>(std::clamp<int64_t>(output.firstFrame, 0, 1 << 30)));
            av_dict_set(&videoStream_->metadata, "timecode", text, 0);
        } else {
            av_dict_set(&videoStream_->metadata, "timecode", info.timecode->c_str(), 0);
        }
    }
}

void VideoWriter::write(const FrameStamp& stamp, std::shared_ptr<host::ImageBuffer>& output) {
    std::shared_ptr<host::ImageBuffer> next;
    {
        const std::lock_guard lock(mutex_);
        if (!error_.empty()) fail(kExitFile, error_);
        for (auto it = spare_.begin(); it != spare_.end(); ++it) {
            if (it->use_count() == 1) {
                next = std::move(*it);
                spare_.erase(it);
                break;
            }
        }
    }
    if (!next) next = std::make_shared<host::ImageBuffer>(output->format());
    if (!queue_.push(Item{std::move(output), stamp})) {
        const std::lock_guard lock(mutex_);
        fail(kExitFile, error_.empty() ? std::string("the encoder stopped") : error_);
    }
    output = std::move(next);
}

void VideoWriter::finish() {
    queue_.close();
    if (thread_.joinable()) thread_.join();
    {
        const std::lock_guard lock(mutex_);
        if (!error_.empty()) fail(kExitFile, error_);
    }
    const int trailer = av_write_trailer(format_.get());
    if (trailer < 0) fail(kExitFile, avErrorText(trailer));
    if (format_->pb != nullptr) {
        avio_flush(format_->pb);
        const int error = format_->pb->error;
        const int closed = avio_closep(&format_->pb);
        if (error < 0 || closed < 0) fail(kExitFile, avErrorText(error < 0 ? error : closed));
    }
    format_.reset();
    std::string reason;
    if (!temporary_.commit(reason)) fail(kExitFile, reason);
    finished_ = true;
}

void VideoWriter::run() {
    try {
        while (std::optional<Item> item = queue_.pop()) {
            takeAudio();
            writeAudio(item->stamp.pts);
            if (av_frame_make_writable(frame_.get()) < 0) throw std::bad_alloc();
            converter_.convert(*item->image, *frame_, choice_.keepsAlpha);
            {
                const std::lock_guard lock(mutex_);
                spare_.push_back(std::move(item->image));
            }
            frame_->pts = item->stamp.pts;
            lastPts_ = item->stamp.pts;
            encode(frame_.get());
        }
        // Unfinished business is dropped with the file.
        if (abandoned_) return;
        encode(nullptr);
        if (source_ != nullptr) {
            for (PacketPtr& packet : source_->finishAudio()) audio_.push_back(std::move(packet));
        }
        writeAudio(std::nullopt);
    } catch (const std::exception& e) {
        const std::lock_guard lock(mutex_);
        error_ = e.what();
    }
    queue_.close();
}

void VideoWriter::encode(AVFrame* frame) {
    const int sent = avcodec_send_frame(encoder_.get(), frame);
    if (sent < 0) throw std::runtime_error("the encoder refused a frame (" + avErrorText(sent) + ")");
    while (true) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        if (received < 0) throw std::runtime_error("the encoder failed (" + avErrorText(received) + ")");
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, videoStream_->time_base);
        packet_->stream_index = videoStream_->index;
        writePacket(*packet_);
    }
}

void VideoWriter::takeAudio() {
    if (source_ == nullptr) return;
    for (PacketPtr& packet : source_->takeAudio()) audio_.push_back(std::move(packet));
}

void VideoWriter::writeAudio(std::optional<int64_t> pts) {
    if (source_ == nullptr) return;
    const AVFormatContext& input = source_->container();
    const int64_t start = source_->startPts();
    const AVRational videoBase = source_->timeBase();
    while (!audio_.empty()) {
        AVPacket& packet = *audio_.front();
        const AVRational base = input.streams[packet.stream_index]->time_base;
        const int64_t shift = av_rescale_q(start, videoBase, base);
        const int64_t at = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        // In the output's video time from here on, relative to the first
        // rendered frame.
        if (pts && at != AV_NOPTS_VALUE && av_compare_ts(at - shift, base, *pts, timeBase_) > 0) return;
        const bool keep =
            source_->wholeClip() || at == AV_NOPTS_VALUE ||
            (av_compare_ts(at - shift + packet.duration, base, 0, timeBase_) > 0 &&
             av_compare_ts(at - shift, base, lastPts_ + frameTicks_, timeBase_) < 0);
        if (keep) {
            if (packet.pts != AV_NOPTS_VALUE) packet.pts -= shift;
            if (packet.dts != AV_NOPTS_VALUE) packet.dts -= shift;
            const int out = audioMap_[static_cast<std::size_t>(packet.stream_index)];
            av_packet_rescale_ts(&packet, base, format_->streams[out]->time_base);
            packet.stream_index = out;
            packet.pos = -1;
            writePacket(packet);
        }
        audio_.pop_front();
    }
}

void VideoWriter::writePacket(AVPacket& packet) {
    const int written = av_interleaved_write_frame(format_.get(), &packet);
    if (written < 0) throw std::runtime_error(avErrorText(written));
}

}  // namespace horavex::cli
