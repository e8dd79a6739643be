// Owning handles for FFmpeg's C objects and its error codes as text, so that
// every early return of the video code frees what it opened.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace horavex::cli {

struct InputFormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
// Closes the output file, if it was opened, then frees the context.
struct OutputFormatCloser {
    void operator()(AVFormatContext* context) const {
        if (context->pb != nullptr) avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecContextFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

using InputFormat = std::unique_ptr<AVFormatContext, InputFormatCloser>;
using OutputFormat = std::unique_ptr<AVFormatContext, OutputFormatCloser>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;

// av_strerror's text for a negative AVERROR code.
std::string avErrorText(int error);

// FFmpeg's own messages off: the program reports each failure as its one
// line.
void silenceLibav();

// Throws std::bad_alloc when FFmpeg cannot allocate.
FramePtr newFrame();
PacketPtr newPacket();

}  // namespace horavex::cli
