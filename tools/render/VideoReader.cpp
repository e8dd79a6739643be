#include "tools/render/VideoReader.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "tools/render/RenderSession.h"

namespace horavex::cli {

namespace {

std::string metadataValue(const AVDictionary* metadata, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(metadata, key, nullptr, 0);
    return entry != nullptr && entry->value != nullptr ? entry->value : "";
}

// (pts - start) ticks of `timeBase` counted in frames of `rate`, exactly
// where it is a whole number of frames.
double framesSince(int64_t pts, int64_t start, AVRational timeBase, AVRational rate) {
    const __int128 numerator = static_cast<__int128>(pts - start) * timeBase.num * rate.num;
    const __int128 denominator = static_cast<__int128>(timeBase.den) * rate.den;
    if (denominator == 0) return 0.0;
    const __int128 whole = numerator / denominator;
    const __int128 rest = numerator % denominator;
    return static_cast<double>(whole) + static_cast<double>(rest) / static_cast<double>(denominator);
}

bool fileExists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace

VideoReader::VideoReader(const std::string& path, std::optional<FrameRange> selection)
    : path_(path), selection_(selection) {
    silenceLibav();
    const auto fail = [&](const std::string& why) {
        throw CliError(kExitFile, joinText({"cannot read the source ", inQuotes(path), ": ", why}));
    };
    AVFormatContext* opened = nullptr;
    const int openError = avformat_open_input(&opened, path.c_str(), nullptr, nullptr);
    if (openError < 0) {
        if (openError == AVERROR(ENOENT) || !fileExists(path)) fail(avErrorText(openError));
        fail("not a video file libavformat knows (" + avErrorText(openError) + ")");
    }
    format_.reset(opened);
    const int probeError = avformat_find_stream_info(format_.get(), nullptr);
    if (probeError < 0) fail("damaged or not a video file (" + avErrorText(probeError) + ")");

    const AVCodec* codec = nullptr;
    videoStream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (videoStream_ == AVERROR_STREAM_NOT_FOUND) fail("it has no video stream");
    if (videoStream_ < 0 || codec == nullptr) {
        bool found = false;
        for (unsigned i = 0; i < format_->nb_streams; ++i) {
            const AVCodecParameters* parameters = format_->streams[i]->codecpar;
            if (parameters->codec_type != AVMEDIA_TYPE_VIDEO) continue;
            found = true;
            if (parameters->codec_id == AV_CODEC_ID_NONE) {
                char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
                av_fourcc_make_string(tag, parameters->codec_tag);
                fail(joinText({"its video codec (", tag, ") is unknown to FFmpeg's libraries"}));
            }
            fail(joinText({"its video codec ", avcodec_get_name(parameters->codec_id), " cannot be decoded here"}));
        }
        if (!found) fail("it has no video stream");
    }
    AVStream* stream = format_->streams[videoStream_];
    videoTimeBase_ = stream->time_base;
    if (stream->codecpar->width <= 0 || stream->codecpar->height <= 0 ||
        stream->codecpar->width > kMaxImageSide || stream->codecpar->height > kMaxImageSide) {
        fail(joinText({"its video frame size ", std::to_string(stream->codecpar->width), "x",
                       std::to_string(stream->codecpar->height), " is not between 1x1 and 16384x16384"}));
    }

    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_) throw std::bad_alloc();
    if (avcodec_parameters_to_context(decoder_.get(), stream->codecpar) < 0) fail("its video stream is damaged");
    decoder_->thread_count = 0;
    decoder_->pkt_timebase = stream->time_base;
    const int codecError = avcodec_open2(decoder_.get(), codec, nullptr);
    if (codecError < 0) {
        fail(joinText({"cannot decode its ", avcodec_get_name(stream->codecpar->codec_id), " video (",
                       avErrorText(codecError), ")"}));
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        AVStream* other = format_->streams[i];
        if (other->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            audioStreams_.push_back(static_cast<int>(i));
        } else if (static_cast<int>(i) != videoStream_) {
            other->discard = AVDISCARD_ALL;
        }
    }

    // A variable rate may be guessed as its time base; the average is the
    // better answer then.
    const auto usable = [](AVRational r) { return r.num > 0 && r.den > 0 && av_q2d(r) <= 1000.0; };
    rate_ = av_guess_frame_rate(format_.get(), stream, nullptr);
    if (!usable(rate_)) rate_ = stream->avg_frame_rate;
    if (!usable(rate_)) rate_ = AVRational{25, 1};
    av_reduce(&rate_.num, &rate_.den, rate_.num, rate_.den, 1'000'000);

    info_.size = FrameSize{stream->codecpar->width, stream->codecpar->height};
    const AVRational aspect = av_guess_sample_aspect_ratio(format_.get(), stream, nullptr);
    info_.pixelAspectRatio = aspect.num > 0 && aspect.den > 0 ? av_q2d(aspect) : 1.0;
    info_.rate = FrameRateRatio{rate_.num, rate_.den};
    int64_t count = stream->nb_frames;
    if (count <= 0) {
        const double seconds = stream->duration != AV_NOPTS_VALUE ? static_cast<double>(stream->duration) *
                                                                         av_q2d(stream->time_base)
                               : format_->duration != AV_NOPTS_VALUE
                                   ? static_cast<double>(format_->duration) / AV_TIME_BASE
                                   : -1.0;
        count = seconds > 0.0 ? static_cast<int64_t>(seconds * av_q2d(rate_) + 0.5) : -1;
    }
    if (selection_) {
        const int64_t first = std::max<int64_t>(selection_->first, 0);
        const int64_t wanted = selection_->last >= first ? selection_->last - first + 1 : 0;
        count = count < 0 ? wanted : std::clamp<int64_t>(count - first, 0, wanted);
    }
    info_.frameCount = count;

    std::string creation = metadataValue(format_->metadata, "creation_time");
    if (creation.empty()) creation = metadataValue(stream->metadata, "creation_time");
    if (!creation.empty()) info_.creationTime = creation;
    std::string timecode = metadataValue(stream->metadata, "timecode");
    if (timecode.empty()) timecode = metadataValue(format_->metadata, "timecode");
    for (unsigned i = 0; timecode.empty() && i < format_->nb_streams; ++i) {
        timecode = metadataValue(format_->streams[i]->metadata, "timecode");
    }
    if (!timecode.empty()) info_.timecode = timecode;
}

VideoReader::~VideoReader() { stop(); }

void VideoReader::stop() {
    stopping_ = true;
    frames_.close();
    if (thread_.joinable()) thread_.join();
}

void VideoReader::start(const host::ImageSpec& layout) {
    layout_ = layout;
    thread_ = std::thread([this] { run(); });
}

std::optional<FrameStamp> VideoReader::next(std::shared_ptr<host::ImageBuffer>& image) {
    std::optional<Item> item = frames_.pop();
    if (!item) return std::nullopt;
    if (!item->error.empty()) {
        stop();
        throw CliError(kExitFile, joinText({"cannot read the source ", inQuotes(path_), ": ", item->error}));
    }
    if (image) {
        const std::lock_guard lock(mutex_);
        spare_.push_back(std::move(image));
    }
    image = std::move(item->image);
    return item->stamp;
}

std::vector<PacketPtr> VideoReader::takeAudio() {
    const std::lock_guard lock(mutex_);
    std::vector<PacketPtr> taken;
    taken.swap(audio_);
    return taken;
}

std::vector<PacketPtr> VideoReader::finishAudio() {
    frames_.close();
    if (thread_.joinable()) thread_.join();
    return takeAudio();
}

std::shared_ptr<host::ImageBuffer> VideoReader::spareImage() {
    {
        const std::lock_guard lock(mutex_);
        for (auto it = spare_.begin(); it != spare_.end(); ++it) {
            if (it->use_count() == 1) {
                std::shared_ptr<host::ImageBuffer> image = std::move(*it);
                spare_.erase(it);
                return image;
            }
        }
    }
    return std::make_shared<host::ImageBuffer>(layout_);
}

void VideoReader::keepAudio(PacketPtr packet) {
    const std::lock_guard lock(mutex_);
    audio_.push_back(std::move(packet));
}

void VideoReader::run() {
    try {
        readPackets();
    } catch (const std::exception& e) {
        frames_.push(Item{nullptr, {}, e.what()});
    }
    frames_.close();
}

void VideoReader::readPackets() {
    PacketPtr packet = newPacket();
    bool more = true;
    while (more && !stopping_) {
        const int error = av_read_frame(format_.get(), packet.get());
        if (error == AVERROR_EOF) break;
        if (error < 0) throw std::runtime_error("the file is damaged or cut short (" + avErrorText(error) + ")");
        if (packet->stream_index == videoStream_) {
            const int sent = avcodec_send_packet(decoder_.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent < 0 && sent != AVERROR(EAGAIN)) {
                throw std::runtime_error(joinText({"frame ", std::to_string(decoded_), " cannot be decoded (",
                                                   avErrorText(sent), ")"}));
            }
            more = receiveFrames();
        } else if (std::find(audioStreams_.begin(), audioStreams_.end(), packet->stream_index) !=
                   audioStreams_.end()) {
            PacketPtr kept = newPacket();
            av_packet_move_ref(kept.get(), packet.get());
            keepAudio(std::move(kept));
        } else {
            av_packet_unref(packet.get());
        }
    }
    if (more && !stopping_) {
        avcodec_send_packet(decoder_.get(), nullptr);
        receiveFrames();
    }
    // Audio after the last frame still belongs to a whole clip.
    while (wholeClip() && !stopping_) {
        const int error = av_read_frame(format_.get(), packet.get());
        if (error < 0) break;
        if (std::find(audioStreams_.begin(), audioStreams_.end(), packet->stream_index) != audioStreams_.end()) {
            PacketPtr kept = newPacket();
            av_packet_move_ref(kept.get(), packet.get());
            keepAudio(std::move(kept));
        }
        av_packet_unref(packet.get());
    }
    if (!selectionStarted_ && !stopping_) {
        throw std::runtime_error(decoded_ == 0 ? std::string("it holds no frame that can be decoded")
                                               : joinText({"it has only ", std::to_string(decoded_), " frames"}));
    }
}

bool VideoReader::receiveFrames() {
    FramePtr frame = newFrame();
    while (true) {
        const int error = avcodec_receive_frame(decoder_.get(), frame.get());
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
        if (error < 0) {
            throw std::runtime_error(joinText({"frame ", std::to_string(decoded_), " cannot be decoded (",
                                               avErrorText(error), ")"}));
        }
        const bool more = deliver(*frame);
        av_frame_unref(frame.get());
        if (!more) return false;
    }
}

bool VideoReader::deliver(AVFrame& frame) {
    const int64_t index = decoded_++;
    int64_t pts = frame.best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        pts = clipStartPts_ ? lastPts_ + std::max<int64_t>(av_rescale_q(1, av_inv_q(rate_), videoTimeBase_), 1) : 0;
    }
    if (!clipStartPts_) clipStartPts_ = pts;
    lastPts_ = pts;
    const double time = framesSince(pts, *clipStartPts_, videoTimeBase_, rate_);
    if (selection_ && index < selection_->first) {
        // Audio before the first rendered frame is not copied.
        const std::lock_guard lock(mutex_);
        std::erase_if(audio_, [&](const PacketPtr& p) {
            return p->pts != AV_NOPTS_VALUE &&
                   av_compare_ts(p->pts + p->duration, format_->streams[p->stream_index]->time_base, pts,
                                 videoTimeBase_) < 0;
        });
        return true;
    }
    if (selection_ && index > selection_->last) return false;
    if (!selectionStarted_) {
        selectionStarted_ = true;
        startPts_ = pts;
    }
    std::shared_ptr<host::ImageBuffer> image = spareImage();
    scaler_.convert(frame, *image);
    if (!frames_.push(Item{std::move(image), FrameStamp{index, time, pts - startPts_.load()}, {}})) {
        // The render stopped early: nothing more is wanted, audio included.
        stopping_ = true;
        return false;
    }
    return !(selection_ && index >= selection_->last);
}

}  // namespace horavex::cli
