// VideoReader: what it learns from a file before the render (size, exact
// rate, pixel aspect ratio, metadata), the time and order of the frames it
// gives, the depth it gives them in, and a clear error with exit code 4 for
// every file it cannot read, damaged and mutated ones included.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ofxapi/OfxNames.h"
#include "support/Processes.h"
#include "tools/render/RenderFrames.h"
#include "tools/render/RenderSession.h"
#include "tools/render/VideoReader.h"

namespace horavex::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using horavex::testing::ffmpeg;
using horavex::testing::ffprobe;
using horavex::testing::ScratchDir;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct Decoded {
    std::vector<FrameStamp> stamps;
    std::shared_ptr<host::ImageBuffer> last;
};

// Every frame the reader gives, in the layout of a render of `depth`.
Decoded decodeAll(VideoReader& reader, PixelDepth depth = PixelDepth::Byte) {
    reader.start(frameLayout(reader.info().size, depth, reader.info().pixelAspectRatio));
    Decoded decoded;
    while (const std::optional<FrameStamp> stamp = reader.next(decoded.last)) decoded.stamps.push_back(*stamp);
    return decoded;
}

// The presentation times of a file's video frames, by ffprobe, in seconds.
std::vector<double> frameTimes(const std::string& path) {
    std::stringstream lines(ffprobe({"-select_streams", "v:0", "-show_entries", "frame=pts_time", "-of", "csv=p=0",
                                     path}));
    std::vector<double> times;
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty()) times.push_back(std::stod(line.substr(0, line.find(','))));
    }
    return times;
}

// Small clips, each made when a case first needs it (CTest runs every case
// in a process of its own).
const std::map<std::string, std::vector<std::string>>& clipRecipes() {
    static const std::map<std::string, std::vector<std::string>> recipes{
        // 4:3 pixels at 30000/1001, audio, a creation time and a drop-frame
        // timecode.
        {"clip.mp4",
         {"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=30000/1001:duration=1", "-f", "lavfi", "-i",
          "sine=duration=1", "-vf", "setsar=4/3", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac",
          "-metadata", "creation_time=2024-05-01T10:00:00.000000Z", "-timecode", "10:00:00;00"}},
        // Ten frames at 10 fps, then twenty at 30 fps.
        {"vfr.mkv",
         {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=30:duration=1", "-vf",
          "setpts='if(lt(N,10),N*3,30+(N-10))/(30*TB)'", "-fps_mode", "passthrough", "-c:v", "libx264", "-preset",
          "ultrafast"}},
        {"late.mp4",
         {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.4", "-output_ts_offset", "10", "-c:v",
          "libx264", "-preset", "ultrafast"}},
        {"deep.mkv",
         {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.2", "-c:v", "ffv1", "-pix_fmt",
          "yuv444p10le"}},
        // The top half white, the bottom half black.
        {"halves.mkv",
         {"-f", "lavfi", "-i", "color=white:size=32x32:duration=0.1,drawbox=y=16:h=16:color=black:t=fill", "-c:v",
          "ffv1"}},
        {"small.mp4",
         {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.4", "-c:v", "libx264", "-preset", "ultrafast",
          "-movflags", "+faststart"}},
        {"small.mkv", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.4", "-c:v", "mpeg4"}},
        {"audio.m4a", {"-f", "lavfi", "-i", "sine=duration=0.5"}},
        {"mpeg4.avi",
         {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.2", "-c:v", "mpeg4", "-vtag", "FMP4"}},
    };
    return recipes;
}

class VideoReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dir_ = new ScratchDir(); }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    // The clip of that name, made now if it has a recipe and is not there.
    static std::string path(const std::string& name) {
        const std::string file = *dir_ / name;
        const auto recipe = clipRecipes().find(name);
        if (recipe != clipRecipes().end() && !fs::exists(file)) {
            std::vector<std::string> args = recipe->second;
            args.push_back(file);
            ffmpeg(args);
        }
        return file;
    }

    static ScratchDir* dir_;
};

ScratchDir* VideoReaderTest::dir_ = nullptr;

TEST_F(VideoReaderTest, TakesSizeAspectExactRateAndMetadataFromTheFile) {
    VideoReader reader(path("clip.mp4"), std::nullopt);
    const SourceInfo& info = reader.info();
    EXPECT_EQ(info.size.width, 96);
    EXPECT_EQ(info.size.height, 64);
    EXPECT_NEAR(info.pixelAspectRatio, 4.0 / 3.0, 1e-9);
    ASSERT_TRUE(info.rate.has_value());
    EXPECT_EQ(*info.rate, (FrameRateRatio{30000, 1001}));
    EXPECT_EQ(info.frameCount, 30);
    EXPECT_EQ(info.creationTime.value_or(""), "2024-05-01T10:00:00.000000Z");
    EXPECT_EQ(info.timecode.value_or(""), "10:00:00;00");
    EXPECT_EQ(reader.audioStreams().size(), 1u);

    const Decoded decoded = decodeAll(reader);
    ASSERT_EQ(decoded.stamps.size(), 30u);
    for (std::size_t i = 0; i < decoded.stamps.size(); ++i) {
        EXPECT_EQ(decoded.stamps[i].frame, static_cast<int64_t>(i));
        // Whole frames at the exact rate, not 29.97's approximation.
        EXPECT_EQ(decoded.stamps[i].time, static_cast<double>(i));
    }
    ASSERT_NE(decoded.last, nullptr);
    EXPECT_EQ(decoded.last->width(), 96);
    EXPECT_EQ(decoded.last->format().depth, kOfxBitDepthByte);
}

TEST_F(VideoReaderTest, EachFrameOfAVariableRateClipKeepsItsOwnTime) {
    const std::vector<double> seconds = frameTimes(path("vfr.mkv"));
    ASSERT_EQ(seconds.size(), 30u);
    VideoReader reader(path("vfr.mkv"), std::nullopt);
    ASSERT_TRUE(reader.info().rate.has_value());
    const double rate = static_cast<double>(reader.info().rate->numerator) / reader.info().rate->denominator;
    const Decoded decoded = decodeAll(reader);
    ASSERT_EQ(decoded.stamps.size(), seconds.size());
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        EXPECT_NEAR(decoded.stamps[i].time, seconds[i] * rate, 1e-6) << "frame " << i;
    }
    // The slow part really is slow: frame 9 sits at 0.9 s, not 9 frames in.
    EXPECT_NEAR(decoded.stamps[9].time / rate, 0.9, 1e-3);
}

TEST_F(VideoReaderTest, AClipThatStartsLateStartsAtItsFirstFrame) {
    ASSERT_NEAR(frameTimes(path("late.mp4")).front(), 10.0, 1e-3);
    VideoReader reader(path("late.mp4"), std::nullopt);
    const Decoded decoded = decodeAll(reader);
    ASSERT_EQ(decoded.stamps.size(), 10u);
    EXPECT_EQ(decoded.stamps[0].time, 0.0);
    EXPECT_EQ(decoded.stamps[0].pts, 0);
    EXPECT_NEAR(decoded.stamps[3].time, 3.0, 1e-9);
}

TEST_F(VideoReaderTest, FramesAreSelectedByIndex) {
    VideoReader reader(path("clip.mp4"), FrameRange{5, 9});
    EXPECT_EQ(reader.info().frameCount, 5);
    const Decoded decoded = decodeAll(reader);
    ASSERT_EQ(decoded.stamps.size(), 5u);
    EXPECT_EQ(decoded.stamps.front().frame, 5);
    EXPECT_EQ(decoded.stamps.front().time, 5.0);
    EXPECT_EQ(decoded.stamps.front().pts, 0);
    EXPECT_EQ(decoded.stamps.back().frame, 9);
    EXPECT_GT(decoded.stamps.back().pts, 0);
}

TEST_F(VideoReaderTest, DeepSourcesKeepTheirPrecisionAt16Bits) {
    VideoReader reader(path("deep.mkv"), std::nullopt);
    const Decoded decoded = decodeAll(reader, PixelDepth::Short);
    ASSERT_NE(decoded.last, nullptr);
    ASSERT_EQ(decoded.last->format().depth, kOfxBitDepthShort);
    // Through 8 bits every sample would be a multiple of 257.
    int finer = 0;
    for (int y = 0; y < decoded.last->height(); ++y) {
        for (int x = 0; x < decoded.last->width(); ++x) {
            const auto pixel = decoded.last->read<OfxRGBAColourS>(x, y);
            if (pixel.r % 257 != 0 || pixel.g % 257 != 0 || pixel.b % 257 != 0) ++finer;
            EXPECT_EQ(pixel.a, 65535);
        }
    }
    EXPECT_GT(finer, decoded.last->width() * decoded.last->height() / 4);
}

TEST_F(VideoReaderTest, TheTopOfTheVideoIsTheTopOfTheImage) {
    VideoReader reader(path("halves.mkv"), std::nullopt);
    const Decoded decoded = decodeAll(reader);
    ASSERT_NE(decoded.last, nullptr);
    // OFX rows count from the bottom.
    EXPECT_GT(decoded.last->read<OfxRGBAColourB>(5, 28).r, 240);
    EXPECT_LT(decoded.last->read<OfxRGBAColourB>(5, 3).r, 20);
}

// Opening and draining; the CliError's exit code and message, or "" when the
// file reads to its end.
std::string readFailure(const std::string& file, std::optional<FrameRange> selection = std::nullopt) {
    try {
        VideoReader reader(file, selection);
        decodeAll(reader);
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitFile) << e.what();
        return e.what();
    }
    return "";
}

TEST_F(VideoReaderTest, FilesThatCannotBeReadGiveAClearError) {
    const std::string good = readBytes(path("small.mp4"));
    const std::string matroska = readBytes(path("small.mkv"));
    writeBytes(path("text.mp4"), "just some words, no video\n");
    writeBytes(path("empty.mp4"), "");
    writeBytes(path("cut.mp4"), good.substr(0, good.size() / 2));
    writeBytes(path("cut.mkv"), matroska.substr(0, matroska.size() / 3));
    std::string corrupt = good;
    for (std::size_t i = good.size() / 3; i < good.size() - 16; ++i) corrupt[i] = static_cast<char>(0xFF);
    writeBytes(path("corrupt.mp4"), corrupt);
    std::string unknown = readBytes(path("mpeg4.avi"));
    for (std::size_t at = unknown.find("FMP4"); at != std::string::npos; at = unknown.find("FMP4", at)) {
        unknown.replace(at, 4, "ZQZQ");
    }
    writeBytes(path("unknown.avi"), unknown);

    struct Case {
        std::string file;
        std::optional<FrameRange> selection;
        std::string says;
    };
    const std::vector<Case> cases{
        {"missing.mp4", std::nullopt, "No such file"},
        {"text.mp4", std::nullopt, "not a video"},
        {"empty.mp4", std::nullopt, "not a video"},
        {"audio.m4a", std::nullopt, "no video stream"},
        {"cut.mp4", std::nullopt, ""},
        {"cut.mkv", std::nullopt, ""},
        {"corrupt.mp4", std::nullopt, ""},
        {"unknown.avi", std::nullopt, "(ZQZQ) is unknown"},
        {"small.mp4", FrameRange{50, 60}, "has only 10 frames"},
    };
    for (const Case& c : cases) {
        const std::string message = readFailure(path(c.file), c.selection);
        EXPECT_THAT(message, HasSubstr("cannot read the source")) << c.file;
        EXPECT_THAT(message, HasSubstr(c.says)) << c.file;
    }
    EXPECT_EQ(readFailure(path("small.mp4")), "");
}

// A brief fuzzing of the demuxing and decoding path: the clips with bytes
// changed, cut short or repeated, from a fixed seed. Each either reads or
// fails with exit code 4; under the sanitizers nothing may go wrong in
// between.
TEST_F(VideoReaderTest, MutatedFilesReadOrFailCleanly) {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    const auto random = [&state](uint64_t bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return bound == 0 ? 0 : state % bound;
    };
    int failed = 0;
    int read = 0;
    for (const std::string name : {"small.mp4", "small.mkv"}) {
        const std::string original = readBytes(path(name));
        for (int round = 0; round < 60; ++round) {
            std::string bytes = original;
            switch (round % 3) {
                case 0:
                    for (uint64_t n = 1 + random(8); n > 0; --n) {
                        bytes[random(bytes.size())] = static_cast<char>(random(256));
                    }
                    break;
                case 1: bytes.resize(random(bytes.size())); break;
                default: {
                    const std::size_t from = random(bytes.size());
                    bytes.insert(random(bytes.size()), bytes.substr(from, random(64)));
                }
            }
            const std::string file = path("mutated" + fs::path(name).extension().string());
            writeBytes(file, bytes);
            (readFailure(file).empty() ? read : failed) += 1;
        }
    }
    // The mutations reach both ends.
    EXPECT_GT(read, 0);
    EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace horavex::cli
