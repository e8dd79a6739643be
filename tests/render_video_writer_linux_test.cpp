// VideoWriter through horavex-render: a clip with the clock burnt in keeps
// the source's frame count, exact rate, audio packets, creation time and
// timecode; its clock matches the PNG render and the rest the source; the
// generator's .mov keeps alpha; --codec and --codec-option choose otherwise;
// and a failed or interrupted run leaves the target as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/Processes.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using horavex::testing::ffmpeg;
using horavex::testing::ffprobe;
using horavex::testing::ProcessResult;
using horavex::testing::ProcessSetup;
using horavex::testing::runRender;
using horavex::testing::ScratchDir;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// One value of the first stream of `kind` ("v:0", "a:0"), by ffprobe.
std::string streamValue(const std::string& file, const std::string& stream, const std::string& entry) {
    std::string value = ffprobe({"-select_streams", stream, "-show_entries", entry, "-of", "default=nw=1:nk=1", file});
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    return value;
}

// The frames a decoder finds in the file, not what its header says.
int countedFrames(const std::string& file) {
    const std::string count = ffprobe({"-count_frames", "-select_streams", "v:0", "-show_entries",
                                       "stream=nb_read_frames", "-of", "default=nw=1:nk=1", file});
    return count.empty() ? -1 : std::stoi(count);
}

// The audio stream's packets: their data, and their times when `withTimes`
// (side data, which containers keep in their own ways, left out).
std::vector<std::string> audioPackets(const std::string& file, bool withTimes) {
    std::stringstream lines(ffprobe({"-select_streams", "a:0", "-show_packets", "-show_data", "-show_entries",
                                     "packet=pts,duration,data", "-of", "flat", file}));
    const std::regex field(withTimes ? R"(^packets\.packet\.\d+\.(data|pts|duration)=.*)"
                                     : R"(^packets\.packet\.\d+\.data=.*)");
    std::vector<std::string> packets;
    std::string line;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, field)) packets.push_back(line);
    }
    return packets;
}

RgbaImage picture(const std::string& path) {
    RgbaImage image;
    std::string error;
    EXPECT_TRUE(readPng(path, image, error)) << path << ": " << error;
    return image;
}

// Frame `n` of a video as an 8-bit RGBA PNG.
RgbaImage videoFrame(const std::string& video, int n, const std::string& png) {
    // Chroma interpolated over the whole width, as horavex-render does.
    ffmpeg({"-sws_flags", "bicubic+accurate_rnd+full_chroma_int", "-i", video, "-vf", "select=eq(n\\," + std::to_string(n) + ")", "-frames:v", "1", "-pix_fmt", "rgba", png});
    return picture(png);
}

struct Rect {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // x2, y2 exclusive
    bool contains(int x, int y) const { return x >= x1 && x < x2 && y >= y1 && y < y2; }
    bool empty() const { return x2 <= x1 || y2 <= y1; }
};

// The box around every pixel where two pictures differ by more than `by`.
Rect differingBox(const RgbaImage& a, const RgbaImage& b, int by) {
    Rect box{a.width, a.height, 0, 0};
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                if (std::abs(int{a.pixel(x, y)[c]} - int{b.pixel(x, y)[c]}) > by) {
                    box = Rect{std::min(box.x1, x), std::min(box.y1, y), std::max(box.x2, x + 1), std::max(box.y2, y + 1)};
                }
            }
        }
    }
    return box;
}

// The Y a BT.601 encoder makes of a straight 8-bit RGB pixel, on video's
// 16..235 scale.
double lumaOf(const uint16_t* rgb) { return 16.0 + (65.481 * rgb[0] + 128.553 * rgb[1] + 24.966 * rgb[2]) / 255.0; }

// Frame `n`'s Y plane as the decoder gives it, no colour conversion between.
std::string videoLuma(const std::string& video, int n, int width, int height) {
    const ProcessResult run = horavex::testing::runProcess(
        {"ffmpeg", "-nostdin", "-v", "error", "-i", video, "-vf", "select=eq(n\\," + std::to_string(n) + ")",
         "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    EXPECT_EQ(run.out.size(), size * 3 / 2);
    return run.out.substr(0, size);
}

// PSNR of the luma, as video quality is measured, inside `box` or outside it.
double lumaPsnr(const RgbaImage& expected, const std::string& luma, const Rect& box, bool inside) {
    double squares = 0.0;
    long count = 0;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (box.contains(x, y) != inside) continue;
            const auto decoded = static_cast<unsigned char>(luma[static_cast<std::size_t>(y * expected.width + x)]);
            const double d = lumaOf(expected.pixel(x, y)) - decoded;
            squares += d * d;
            ++count;
        }
    }
    if (count == 0 || squares == 0.0) return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(count)));
}

const std::vector<std::string> kDigital{"--set", "ClockChoice=Digital Clock"};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class VideoWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One second of moving gradients, 320x240 at 30000/1001, with AAC
        // audio, a creation time and a drop-frame timecode.
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "gradients=size=320x240:rate=30000/1001:duration=1:speed=0.05:seed=1",
                            "-f", "lavfi",
                            "-i", "sine=frequency=440:duration=1", "-c:v", "libx264", "-preset", "ultrafast", "-c:a",
                            "aac", "-metadata", "creation_time=2024-05-01T10:00:00.000000Z", "-timecode",
                            "10:00:00;00", clip()}));
    }
    std::string clip() const { return dir_ / "clip.mp4"; }

    ScratchDir dir_;
};

TEST_F(VideoWriterTest, KeepsFrameCountExactRateAudioAndMetadata) {
    for (const std::string name : {"out.mp4", "out.mov", "out.mkv"}) {
        const std::string out = dir_ / name;
        const ProcessResult run = runRender(concat({"--source", clip(), "--out", out}, kDigital));
        ASSERT_EQ(run.exitCode, 0) << name << ": " << run.err;
        EXPECT_EQ(run.err, "") << name;
        EXPECT_EQ(countedFrames(out), 30) << name;
        EXPECT_EQ(streamValue(out, "v:0", "stream=r_frame_rate"), "30000/1001") << name;
        EXPECT_EQ(streamValue(out, "v:0", "stream=codec_name"), "h264") << name;
        EXPECT_EQ(streamValue(out, "v:0", "stream=pix_fmt"), "yuv420p") << name;
        EXPECT_EQ(streamValue(out, "a:0", "stream=codec_name"), "aac") << name;
        // Matroska counts milliseconds, so only the data must be the same
        // there; MP4 and MOV keep the times to the tick.
        const bool exactTimes = name != std::string("out.mkv");
        const std::vector<std::string> packets = audioPackets(clip(), exactTimes);
        EXPECT_GT(packets.size(), 40u);
        EXPECT_EQ(audioPackets(out, exactTimes), packets) << name;
        EXPECT_THAT(ffprobe({"-show_entries", "format_tags=creation_time", "-of", "default=nw=1:nk=1", out}),
                    HasSubstr("2024-05-01T10:00:00")) << name;
        EXPECT_THAT(ffprobe({"-show_entries", "stream_tags=timecode:format_tags=timecode", "-of", "default=nw=1:nk=1",
                             out}),
                    HasSubstr("10:00:00;00")) << name;
    }
}

TEST_F(VideoWriterTest, FramesPickAPartWithItsAudioAndTimecode) {
    const std::string out = dir_ / "part.mp4";
    const ProcessResult run = runRender(concat({"--source", clip(), "--frames", "15-29", "--out", out}, kDigital));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(countedFrames(out), 15);
    // Half a second of 1024-sample AAC packets at 44.1 kHz, give or take one
    // at each end.
    const std::size_t count = audioPackets(out, false).size();
    EXPECT_GE(count, 20u);
    EXPECT_LE(count, 24u);
    EXPECT_THAT(ffprobe({"-show_entries", "stream_tags=timecode", "-of", "default=nw=1:nk=1", out}),
                HasSubstr("10:00:00;15"));
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

TEST_F(VideoWriterTest, AVariableRateClipKeepsTheTimeOfEveryFrame) {
    // Ten frames at 10 fps, then twenty at 30 fps.
    const std::string source = dir_ / "vfr.mkv";
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=30:duration=1", "-vf",
                        "setpts='if(lt(N,10),N*3,30+(N-10))/(30*TB)'", "-fps_mode", "passthrough", "-c:v", "libx264",
                        "-preset", "ultrafast", source}));
    const std::vector<double> before = frameTimes(source);
    ASSERT_EQ(before.size(), 30u);
    for (const std::string name : {"vfr.mp4", "vfr-out.mkv"}) {
        const std::string out = dir_ / name;
        const ProcessResult run = runRender(concat({"--source", source, "--out", out}, kDigital));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::vector<double> after = frameTimes(out);
        ASSERT_EQ(after.size(), before.size()) << name;
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_NEAR(after[i] - after[0], before[i] - before[0], 0.0015) << name << " frame " << i;
        }
    }
}

TEST_F(VideoWriterTest, TheClockMatchesItsPngRenderAndTheRestTheSource) {
    // Moving gradients of a fixed seed at 640x360, where the clock's text is
    // of a size video is made for.
    const std::string source = dir_ / "wide.mp4";
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "gradients=size=640x360:rate=25:duration=0.5:speed=0.05:seed=3", "-c:v",
                        "libx264", "-preset", "ultrafast", source}));
    // The same frame three ways: with the clock as PNG, without it as PNG,
    // and with it in the video.
    ASSERT_EQ(runRender(concat({"--source", source, "--frames", "10", "--out", dir_ / "clock.png"}, kDigital)).exitCode,
              0);
    ASSERT_EQ(runRender({"--source", source, "--frames", "10", "--no-clock", "--out", dir_ / "plain.png"}).exitCode, 0);
    ASSERT_EQ(runRender(concat({"--source", source, "--out", dir_ / "out.mp4"}, kDigital)).exitCode, 0);
    const RgbaImage clock = picture(dir_ / "clock.png");
    const RgbaImage plain = picture(dir_ / "plain.png");
    const std::string video = videoLuma(dir_ / "out.mp4", 10, 640, 360);
    ASSERT_EQ(clock.width, 640);

    const Rect box = differingBox(clock, plain, 24);
    ASSERT_FALSE(box.empty());
    EXPECT_LT((box.x2 - box.x1) * (box.y2 - box.y1), 640 * 360 / 4);
    EXPECT_GT(lumaPsnr(clock, video, box, true), 35.0);
    EXPECT_GT(lumaPsnr(plain, video, box, false), 35.0);
}

TEST_F(VideoWriterTest, TheGeneratorsMovKeepsAlpha) {
    const std::string out = dir_ / "clock.mov";
    const ProcessResult run = runRender({"--size", "160x90", "--frames", "0-4", "--set", "ClockSize=0.5", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(streamValue(out, "v:0", "stream=codec_name"), "prores");
    EXPECT_THAT(streamValue(out, "v:0", "stream=pix_fmt"), HasSubstr("yuva444p"));
    EXPECT_EQ(countedFrames(out), 5);
    const RgbaImage frame = videoFrame(out, 2, dir_ / "f.png");
    EXPECT_EQ(frame.pixel(2, 2)[3], 0);
    EXPECT_EQ(frame.pixel(80, 45)[3], 255);

    // Half-transparent red keeps its full red: the colours are straight, as
    // a file with alpha holds them.
    const std::string box = dir_ / "box.mov";
    ASSERT_EQ(runRender({"--size", "160x90", "--set", "ClockChoice=Digital Clock", "--set", "Background Colour=1,0,0,0.5",
                         "--set", "Main Colour=1,0,0,0.5", "--out", box})
                  .exitCode,
              0);
    const RgbaImage half = videoFrame(box, 0, dir_ / "half.png");
    int seen = 0;
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            const uint16_t* p = half.pixel(x, y);
            if (p[3] < 100 || p[3] > 160) continue;
            ++seen;
            EXPECT_GT(p[0], 240) << x << "," << y;
            EXPECT_LT(p[1], 12) << x << "," << y;
        }
    }
    EXPECT_GT(seen, 100);
}

TEST_F(VideoWriterTest, CodecAndOptionsChooseOtherwise) {
    const std::string webm = dir_ / "clock.webm";
    ASSERT_EQ(runRender({"--size", "64x48", "--frames", "0-2", "--out", webm}).exitCode, 0);
    EXPECT_EQ(streamValue(webm, "v:0", "stream=codec_name"), "vp9");

    const std::string mkv = dir_ / "clock.mkv";
    const ProcessResult chosen = runRender({"--size", "64x48", "--frames", "0-2", "--codec", "libx264", "--codec-option",
                                            "crf=30", "--codec-option", "preset=ultrafast", "--codec-option",
                                            "pix_fmt=yuv444p", "--out", mkv});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
    EXPECT_EQ(streamValue(mkv, "v:0", "stream=pix_fmt"), "yuv444p");
    // x264 writes its settings into the stream.
    EXPECT_THAT(readBytes(mkv), HasSubstr("crf=30.0"));

    const ProcessResult unknownOption =
        runRender({"--size", "64x48", "--codec-option", "crunchiness=3", "--out", dir_ / "x.mp4"});
    EXPECT_EQ(unknownOption.exitCode, 2);
    EXPECT_THAT(unknownOption.err, HasSubstr("has no option \"crunchiness\""));
    const ProcessResult unknownCodec = runRender({"--size", "64x48", "--codec", "nosuchcodec", "--out", dir_ / "x.mp4"});
    EXPECT_EQ(unknownCodec.exitCode, 2);
    EXPECT_THAT(unknownCodec.err, HasSubstr("no video encoder \"nosuchcodec\""));
    const ProcessResult notForPng = runRender({"--codec", "libx264", "--out", dir_ / "x.png"});
    EXPECT_EQ(notForPng.exitCode, 2);
    EXPECT_THAT(dir_.names(), ElementsAre("clip.mp4", "clock.mkv", "clock.webm"));
}

TEST_F(VideoWriterTest, SizeScalesTheSourceAndSaysSo) {
    const std::string out = dir_ / "small.mp4";
    const ProcessResult run = runRender({"--source", clip(), "--size", "160x120", "--frames", "0-2", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("is 320x240; its frames are scaled to 160x120"));
    EXPECT_EQ(streamValue(out, "v:0", "stream=width"), "160");
    const ProcessResult rate = runRender({"--source", clip(), "--fps", "25", "--out", dir_ / "rate.mp4"});
    EXPECT_EQ(rate.exitCode, 2);
    EXPECT_THAT(rate.err, HasSubstr("the frame rate comes from the video source (30000/1001"));
}

TEST_F(VideoWriterTest, BadOutputsFailWithExitCode4AndLeaveNothing) {
    const ProcessResult odd = runRender({"--source", clip(), "--size", "161x121", "--out", dir_ / "odd.mp4"});
    EXPECT_EQ(odd.exitCode, 4);
    EXPECT_THAT(odd.err, HasSubstr("yuv420p video needs a width divisible by 2"));

    const ProcessResult noFolder = runRender({"--source", clip(), "--out", dir_ / "missing/out.mp4"});
    EXPECT_EQ(noFolder.exitCode, 4);
    EXPECT_THAT(noFolder.err, HasSubstr("cannot write"));
    const ProcessResult readOnly = runRender({"--source", clip(), "--out", "/proc/horavex-out.mp4"});
    EXPECT_EQ(readOnly.exitCode, 4);
    if (geteuid() != 0) {
        fs::create_directory(dir_.path() / "locked");
        chmod((dir_ / "locked").c_str(), 0555);
        const ProcessResult locked = runRender({"--source", clip(), "--out", dir_ / "locked/out.mp4"});
        EXPECT_EQ(locked.exitCode, 4);
        EXPECT_THAT(locked.err, HasSubstr("Permission denied"));
        chmod((dir_ / "locked").c_str(), 0755);
        fs::remove(dir_.path() / "locked");
    }
    EXPECT_THAT(dir_.names(), ElementsAre("clip.mp4"));
}

TEST_F(VideoWriterTest, AFailedRunLeavesTheTargetAsItWas) {
    const std::string target = dir_ / "out.mp4";
    { std::ofstream(target) << "the old file"; }
    // A source that breaks after its first frames.
    const std::string good = readBytes(clip());
    std::string broken = good;
    for (std::size_t i = good.size() / 2; i < good.size(); ++i) broken[i] = static_cast<char>(i * 7);
    { std::ofstream(dir_ / "broken.mp4", std::ios::binary) << broken; }
    const ProcessResult decodeError = runRender({"--source", dir_ / "broken.mp4", "--out", target});
    EXPECT_EQ(decodeError.exitCode, 4);
    EXPECT_THAT(decodeError.err, HasSubstr("cannot read the source"));
    EXPECT_EQ(readBytes(target), "the old file");

    // A disk that fills up.
    ProcessSetup small;
    small.fileSizeLimit = 16 * 1024;
    const ProcessResult full = runRender({"--source", clip(), "--out", target}, small);
    EXPECT_EQ(full.exitCode, 4);
    EXPECT_THAT(full.err, HasSubstr("cannot write"));
    EXPECT_EQ(readBytes(target), "the old file");
    EXPECT_THAT(dir_.names(), ElementsAre("broken.mp4", "clip.mp4", "out.mp4"));
}

TEST_F(VideoWriterTest, AnInterruptedRunLeavesTheTargetAsItWas) {
    const std::string target = dir_ / "long.mp4";
    const std::string program = std::string(HORAVEX_TOOLS_DIR) + "/horavex-render";
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), program.c_str(), "--size", "320x240", "--frames", "0-100000", "--quiet", "--out",
              target.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Interrupted once the temporary file is there and growing.
    bool started = false;
    for (int i = 0; i < 600 && !started; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (const std::string& name : dir_.names()) {
            if (name.rfind(".long.mp4.", 0) == 0 && fs::file_size(dir_.path() / name) > 0) started = true;
        }
    }
    EXPECT_TRUE(started);
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), SIGINT);
    }
    EXPECT_THAT(dir_.names(), ElementsAre("clip.mp4"));
}

}  // namespace
}  // namespace horavex::cli
