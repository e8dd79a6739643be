// Rendered frames into a video file through libavcodec and libavformat. The
// file is written beside the target under a temporary name and renamed into
// place by finish(); anything else (an error, an interruption) removes it and
// leaves the target as it was. Frames are converted and encoded on a thread
// of their own (the encoder adds its own threads) while the next frames
// render. With a video source, its audio streams are copied packet for
// packet, and its creation time and timecode go along.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/render/AtomicFile.h"
#include "tools/render/BoundedQueue.h"
#include "tools/render/FrameSink.h"
#include "tools/render/LibavHandles.h"
#include "tools/render/VideoCodecDefaults.h"
#include "tools/render/VideoPixels.h"

namespace horavex::cli {

class VideoReader;

struct VideoOutput {
    std::string path;
    // The generator context: the clock's transparency is worth keeping.
    bool wantsAlpha = false;
    FrameSize size;
    double pixelAspectRatio = 1.0;
    FrameRateRatio rate{25, 1};
    // The unit of FrameStamp::pts.
    AVRational timeBase{1, 25};
    std::optional<std::string> codec;
    std::vector<Setting> codecOptions;
    // Audio and metadata to copy; null without a video source.
    VideoReader* source = nullptr;
    // The index of the first rendered frame, by which the timecode moves on.
    int64_t firstFrame = 0;
};

class VideoWriter : public FrameSink {
public:
    // Opens the encoder and the temporary file and writes the header.
    // Throws CliError: kExitBadCommandLine for an encoder or option that
    // does not exist or fit, kExitFile for a file that cannot be written or
    // a frame size the pixel format cannot hold.
    explicit VideoWriter(const VideoOutput& output);
    ~VideoWriter() override;
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    void write(const FrameStamp& stamp, std::shared_ptr<host::ImageBuffer>& output) override;
    void finish() override;

private:
    struct Item {
        std::shared_ptr<host::ImageBuffer> image;
        FrameStamp stamp;
    };

    [[noreturn]] void fail(int exitCode, const std::string& why) const;
    void openEncoder(const VideoOutput& output);
    void addAudioStreams();
    void copyMetadata(const VideoOutput& output);
    void run();
    void encode(AVFrame* frame);
    void takeAudio();
    // Writes the kept audio packets up to the video time `pts` (all of them
    // when there is none).
    void writeAudio(std::optional<int64_t> pts);
    void writePacket(AVPacket& packet);

    std::string path_;
    TemporaryFileBeside temporary_;
    OutputFormat format_;
    CodecContext encoder_;
    EncoderChoice choice_;
    AVStream* videoStream_ = nullptr;
    AVRational timeBase_{1, 25};
    int64_t frameTicks_ = 1;
    VideoReader* source_ = nullptr;
    // Output stream for each input stream index; -1 for none.
    std::vector<int> audioMap_;

    ImageToFrame converter_;
    FramePtr frame_;
    PacketPtr packet_;
    std::deque<PacketPtr> audio_;
    int64_t lastPts_ = -1;

    BoundedQueue<Item> queue_{2};
    std::thread thread_;
    std::mutex mutex_;
    std::string error_;
    std::vector<std::shared_ptr<host::ImageBuffer>> spare_;
    bool finished_ = false;
    std::atomic<bool> abandoned_{false};
};

}  // namespace horavex::cli
