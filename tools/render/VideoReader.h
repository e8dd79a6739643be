// A video file as the source of a render, through libavformat and
// libavcodec. The file is opened and probed at once (size, pixel aspect
// ratio, exact rate, metadata); start() sets a thread going that demuxes,
// decodes and converts frames into images of the render's layout a few
// frames ahead of the render, and collects the packets of the audio streams
// for the writer to copy.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/render/BoundedQueue.h"
#include "tools/render/FrameSource.h"
#include "tools/render/LibavHandles.h"
#include "tools/render/VideoPixels.h"

namespace horavex::cli {

class VideoReader : public FrameSource {
public:
    // `selection`: the frames by index (from 0, the file's first frame);
    // without it every frame. Throws CliError(kExitFile) for a file that
    // cannot be opened, is no video, has no video stream or whose codec
    // cannot be decoded.
    VideoReader(const std::string& path, std::optional<FrameRange> selection);
    ~VideoReader() override;
    VideoReader(const VideoReader&) = delete;
    VideoReader& operator=(const VideoReader&) = delete;

    const SourceInfo& info() const override { return info_; }
    void start(const host::ImageSpec& layout) override;
    std::optional<FrameStamp> next(std::shared_ptr<host::ImageBuffer>& image) override;

    // What the writer copies. The container's streams and metadata do not
    // change while the thread reads packets.
    const AVFormatContext& container() const { return *format_; }
    const std::vector<int>& audioStreams() const { return audioStreams_; }
    AVRational timeBase() const { return videoTimeBase_; }
    // Every frame is taken, so every audio packet goes along; otherwise only
    // the audio of the rendered frames' span.
    bool wholeClip() const { return !selection_; }
    // The first rendered frame's presentation time in timeBase() ticks;
    // known once next() has delivered it.
    int64_t startPts() const { return startPts_.load(); }
    // The audio packets read since the last call, in the order read (their
    // own stream indices and timestamps).
    std::vector<PacketPtr> takeAudio();
    // Waits until the file is read to its end (or the reading stopped) and
    // returns the audio packets not taken yet.
    std::vector<PacketPtr> finishAudio();

private:
    struct Item {
        std::shared_ptr<host::ImageBuffer> image;
        FrameStamp stamp;
        std::string error;
    };

    void run();
    void readPackets();
    // False once the last selected frame has been delivered.
    bool receiveFrames();
    bool deliver(AVFrame& frame);
    std::shared_ptr<host::ImageBuffer> spareImage();
    void keepAudio(PacketPtr packet);
    void stop();

    std::string path_;
    std::optional<FrameRange> selection_;
    InputFormat format_;
    CodecContext decoder_;
    int videoStream_ = -1;
    AVRational videoTimeBase_{1, 1};
    AVRational rate_{25, 1};
    std::vector<int> audioStreams_;
    SourceInfo info_;

    host::ImageSpec layout_;
    FrameToImage scaler_;
    std::thread thread_;
    BoundedQueue<Item> frames_{3};
    std::atomic<bool> stopping_{false};
    std::atomic<int64_t> startPts_{0};

    // Reader thread only.
    int64_t decoded_ = 0;
    std::optional<int64_t> clipStartPts_;
    int64_t lastPts_ = 0;
    bool selectionStarted_ = false;

    std::mutex mutex_;
    std::vector<PacketPtr> audio_;
    std::vector<std::shared_ptr<host::ImageBuffer>> spare_;
};

}  // namespace horavex::cli
