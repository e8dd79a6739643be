// --source -: raw RGBA frames on the standard input, the mirror of --out -,
// at the depth and size the command line gives; --frames picks from the
// stream, and a stream that ends inside a frame is an error.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "support/Processes.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using horavex::testing::ProcessResult;
using horavex::testing::ProcessSetup;
using horavex::testing::runRender;
using horavex::testing::ScratchDir;

// `frames` frames of 4x2 pixels, frame f's pixels all (f*10, 100, 200, 255),
// one byte a sample, or two little endian.
std::string rawFrames(int frames, bool wide) {
    std::string bytes;
    for (int f = 0; f < frames; ++f) {
        for (int pixel = 0; pixel < 8; ++pixel) {
            for (const int value : {f * 10, 100, 200, 255}) {
                if (wide) {
                    const int sample = value * 257;
                    bytes.push_back(static_cast<char>(sample & 0xFF));
                    bytes.push_back(static_cast<char>(sample >> 8));
                } else {
                    bytes.push_back(static_cast<char>(value));
                }
            }
        }
    }
    return bytes;
}

ProcessSetup fromFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    ProcessSetup setup;
    setup.stdinFile = path;
    return setup;
}

TEST(RawStreamSource, EveryFrameOfTheStreamIsASourceFrame) {
    const ScratchDir dir;
    const ProcessResult run = runRender({"--source", "-", "--size", "4x2", "--set", "ClockSize=0.01", "--out",
                                         dir / "f_#.png"},
                                        fromFile(dir / "in.raw", rawFrames(3, false)));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(dir.names(), ElementsAre("f_0.png", "f_1.png", "f_2.png", "in.raw"));
    RgbaImage picture;
    std::string error;
    ASSERT_TRUE(readPng(dir / "f_2.png", picture, error)) << error;
    EXPECT_EQ(picture.pixel(0, 0)[0], 20);
    EXPECT_EQ(picture.pixel(0, 0)[2], 200);
}

TEST(RawStreamSource, FramesPickFromTheStreamAtTheGivenDepth) {
    const ScratchDir dir;
    const ProcessResult run =
        runRender({"--source", "-", "--size", "4x2", "--depth", "16", "--frames", "1-2", "--set", "ClockSize=0.01",
                   "--out", "-"},
                  fromFile(dir / "in.raw", rawFrames(4, true)));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // Two frames out, the first of them the stream's frame 1.
    ASSERT_EQ(run.out.size(), 2u * 8u * 4u * 2u);
    EXPECT_EQ(static_cast<unsigned char>(run.out[0]) | (static_cast<unsigned char>(run.out[1]) << 8), 10 * 257);
}

TEST(RawStreamSource, AStreamThatEndsInsideAFrameIsAnError) {
    const ScratchDir dir;
    std::string bytes = rawFrames(2, false);
    bytes.resize(bytes.size() - 5);
    const ProcessResult run =
        runRender({"--source", "-", "--size", "4x2", "--out", dir / "f_#.png"}, fromFile(dir / "in.raw", bytes));
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_THAT(run.err, HasSubstr("ends inside frame 1 (27 of 32 bytes)"));
    const ProcessResult noSize = runRender({"--source", "-", "--out", dir / "f_#.png"});
    EXPECT_EQ(noSize.exitCode, 2);
    EXPECT_THAT(noSize.err, HasSubstr("needs their --size"));
}

}  // namespace
}  // namespace horavex::cli
