// Horavex in a real host: stock melt (MLT 7.41 with its OpenFX module, the
// engine of Shotcut and Kdenlive) lists the filter, renders every style with
// a running clock where "Clock Centre" puts it, sets choices by their labels
// and works with a 16-bit consumer (which hands the plug-in float images).
// Frames are written raw by melt's avformat consumer and judged by pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace horavex::melt {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFilter = "openfx.de.quandel.horavex";
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
// The source every clock is laid over; anything else the plug-in drew.
constexpr std::array<int, 3> kSource{0x20, 0x40, 0x80};
constexpr const char* kSourceResource = "color:#204080";

// For the shell; built with a stream, which GCC 12 at -O3 does not misread
// as overlapping copies the way it does string appends.
std::string quote(const std::string& s) {
    std::ostringstream q;
    q << '\'';
    for (char c : s) {
        if (c == '\'') q << "'\\''";
        else q << c;
    }
    q << '\'';
    return q.str();
}

// A folder that holds only our bundle, so melt loads nothing else.
class MeltHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("horavex-melt-" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "plugins");
        fs::create_directory_symlink(HORAVEX_BUNDLE_PATH, dir_ / "plugins" / "Horavex.ofx.bundle");
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    // Runs melt with `args`; returns its standard output.
    static std::string run(const std::string& args, int* exitCode = nullptr) {
        const fs::path out = dir_ / "stdout.txt";
        const std::string command = "OFX_PLUGIN_PATH=" + quote((dir_ / "plugins").string()) + " " +
                                    quote(HORAVEX_MELT) + " " + args + " >" + quote(out.string()) + " 2>&1";
        const int status = std::system(command.c_str());
        if (exitCode != nullptr) *exitCode = status;
        std::ifstream in(out);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static fs::path dir_;
};
fs::path MeltHost::dir_;

// Raw frames as melt's avformat consumer writes them: RGBA, 8 or 16 bits a
// channel (little endian), rows from the top.
struct Frames {
    int bytesPerChannel = 1;
    std::vector<std::uint8_t> data;

    std::size_t frameBytes() const { return std::size_t{kWidth} * kHeight * 4 * bytesPerChannel; }
    std::size_t count() const { return data.size() / frameBytes(); }
    // Channel c of pixel (x, y from the top) of frame f, as 0..255.
    int channel(std::size_t f, int x, int y, int c) const {
        const std::size_t at = f * frameBytes() + (std::size_t(y) * kWidth + x) * 4 * bytesPerChannel +
                               std::size_t(c) * bytesPerChannel;
        return bytesPerChannel == 1 ? data[at] : data[at + 1];  // high byte of a little-endian short
    }
    bool drawn(std::size_t f, int x, int y) const {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(channel(f, x, y, c) - kSource[c]) > 12) return true;
        }
        return false;
    }
};

struct Box {
    int x1 = kWidth, y1 = kHeight, x2 = 0, y2 = 0;  // half-open, from the top left
    bool empty() const { return x2 <= x1 || y2 <= y1; }
    double centreX() const { return (x1 + x2) / 2.0; }
    double centreY() const { return (y1 + y2) / 2.0; }
};

std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << "(" << b.x1 << ", " << b.y1 << ") - (" << b.x2 << ", " << b.y2 << ")";
}

// Where frame f differs from the source: the clock.
Box drawnBox(const Frames& frames, std::size_t f) {
    Box box;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (frames.drawn(f, x, y)) {
                box.x1 = std::min(box.x1, x);
                box.y1 = std::min(box.y1, y);
                box.x2 = std::max(box.x2, x + 1);
                box.y2 = std::max(box.y2, y + 1);
            }
        }
    }
    return box;
}

bool sameFrame(const Frames& frames, std::size_t a, std::size_t b) {
    const std::size_t n = frames.frameBytes();
    return std::equal(frames.data.begin() + a * n, frames.data.begin() + (a + 1) * n, frames.data.begin() + b * n);
}

class MeltRender : public MeltHost {
protected:
    // Renders `frameCount` frames of 1280x720 at 25 fps with the filter and
    // its properties ("name=value" each, quoted here).
    Frames render(const std::vector<std::string>& properties, int frameCount = 50, bool sixteenBit = false,
                  const std::string& profile = "atsc_720p_25") {
        const fs::path file = dir_ / "frames.raw";
        fs::remove(file);
        std::ostringstream args;
        args << "-profile " << profile << " " << quote(kSourceResource) << " out=" << frameCount - 1 << " -filter "
             << kFilter;
        for (const std::string& p : properties) args << ' ' << quote(p);
        args << " -consumer " << quote("avformat:" + file.string()) << " f=rawvideo";
        args << (sixteenBit ? " pix_fmt=rgba64le mlt_image_format=rgba64" : " pix_fmt=rgba");
        // No frame may be dropped: a consumer that runs in real time drops a
        // frame it gets late, and a busy machine makes the first one late
        // (melt then writes nothing for a one-frame clip and still succeeds).
        args << " real_time=0";
        Frames frames;
        frames.bytesPerChannel = sixteenBit ? 2 : 1;
        std::string log;
        // melt itself now and then ends a run without its frames; one more
        // try tells that from a plug-in that renders nothing.
        for (int attempt = 0; attempt < 2 && frames.count() != static_cast<std::size_t>(frameCount); ++attempt) {
            int status = 0;
            log = run(args.str(), &status);
            EXPECT_EQ(status, 0) << log;
            std::ifstream in(file, std::ios::binary);
            frames.data.assign(std::istreambuf_iterator<char>(in), {});
            in.close();
            fs::remove(file);
        }
        EXPECT_EQ(frames.count(), static_cast<std::size_t>(frameCount)) << log;
        return frames;
    }
};

TEST_F(MeltHost, ListsTheFilter) {
    const std::string filters = run("-query filters");
    EXPECT_NE(filters.find(std::string("- ") + kFilter), std::string::npos) << filters;
}

TEST_F(MeltHost, MetadataListsTheClockStylesByLabel) {
    const std::string metadata = run(std::string("-query filter=") + kFilter);
    for (const char* option : {"- Analogue Clock", "- Digital Clock", "- LED Clock"}) {
        EXPECT_NE(metadata.find(option), std::string::npos) << option << "\n" << metadata;
    }
}

class MeltStyles : public MeltRender, public ::testing::WithParamInterface<const char*> {};

TEST_P(MeltStyles, ClockRunsCentredByDefault) {
    const Frames frames = render({std::string("ClockChoice=") + GetParam()});
    ASSERT_EQ(frames.count(), 50u);
    const Box box = drawnBox(frames, 0);
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.centreX(), kWidth / 2.0, 0.02 * kWidth) << box;
    EXPECT_NEAR(box.centreY(), kHeight / 2.0, 0.02 * kHeight) << box;
    // A frozen clock draws the same picture on every frame.
    EXPECT_FALSE(sameFrame(frames, 0, 25));
    EXPECT_FALSE(sameFrame(frames, 0, 49));
}

TEST_P(MeltStyles, ClockCentreQuarterPutsTheClockInTheUpperLeftQuarter) {
    const Frames frames = render({std::string("ClockChoice=") + GetParam(), "corner1=0.25 0.75", "ClockSize=0.3"}, 1);
    ASSERT_EQ(frames.count(), 1u);
    const Box box = drawnBox(frames, 0);
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.centreX(), kWidth / 4.0, 0.02 * kWidth) << box;
    EXPECT_NEAR(box.centreY(), kHeight / 4.0, 0.02 * kHeight) << box;
    EXPECT_LE(box.x2, kWidth / 2) << box;
    EXPECT_LE(box.y2, kHeight / 2) << box;
}

INSTANTIATE_TEST_SUITE_P(EachStyle, MeltStyles, ::testing::Values("Analogue Clock", "Digital Clock", "LED Clock"));

TEST_F(MeltRender, ChoiceLabelsSelectDifferentStyles) {
    std::vector<Frames> styles;
    for (const char* label : {"Analogue Clock", "Digital Clock", "LED Clock"}) {
        styles.push_back(render({std::string("ClockChoice=") + label}, 1));
        ASSERT_EQ(styles.back().count(), 1u) << label;
    }
    EXPECT_NE(styles[0].data, styles[1].data);
    EXPECT_NE(styles[1].data, styles[2].data);
    EXPECT_NE(styles[0].data, styles[2].data);
    // The analogue dial is round; the digital text is wider than high.
    const Box dial = drawnBox(styles[0], 0);
    const Box text = drawnBox(styles[1], 0);
    EXPECT_NEAR(dial.x2 - dial.x1, dial.y2 - dial.y1, 4) << dial;
    EXPECT_GT(text.x2 - text.x1, 2 * (text.y2 - text.y1)) << text;
}

TEST_F(MeltRender, SixteenBitConsumerGetsARunningClockToo) {
    const Frames deep = render({"ClockChoice=Digital Clock"}, 3, true);
    ASSERT_EQ(deep.count(), 3u);
    const Box box = drawnBox(deep, 0);
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.centreX(), kWidth / 2.0, 0.02 * kWidth) << box;
    EXPECT_NEAR(box.centreY(), kHeight / 2.0, 0.02 * kHeight) << box;
    EXPECT_FALSE(sameFrame(deep, 0, 2));
    // The same clock as an 8-bit render, to within rounding.
    const Frames shallow = render({"ClockChoice=Digital Clock"}, 1);
    ASSERT_EQ(shallow.count(), 1u);
    const Box reference = drawnBox(shallow, 0);
    EXPECT_NEAR(box.x1, reference.x1, 2);
    EXPECT_NEAR(box.x2, reference.x2, 2);
    EXPECT_NEAR(box.y1, reference.y1, 2);
    EXPECT_NEAR(box.y2, reference.y2, 2);
}

// The time texts, judged by pictures: a timecode frame must look exactly like
// a free-format clock whose text is the label expected (the same face and
// size, no conversion in the text).
class MeltTimecode : public MeltRender {
protected:
    std::vector<std::uint8_t> frameBytes(const Frames& frames, std::size_t f) {
        if (f >= frames.count()) {
            ADD_FAILURE() << "no frame " << f << " of " << frames.count();
            return {};
        }
        const std::size_t n = frames.frameBytes();
        return {frames.data.begin() + static_cast<std::ptrdiff_t>(f * n),
                frames.data.begin() + static_cast<std::ptrdiff_t>((f + 1) * n)};
    }
    std::vector<std::uint8_t> labelPicture(const std::string& label) {
        const Frames text = render({"ClockChoice=Digital Clock", "Dig Clock Format=Free Format",
                                    "Dig Clock Free Format=" + label},
                                   1);
        EXPECT_EQ(text.count(), 1u);
        return frameBytes(text, 0);
    }
};

// The rate named in "Frame Rate" runs the clock on the project's frames: two
// seconds into a 30 fps project is frame 60, as frame 50 is at 25 fps with the
// host's rate; frame 61 is a frame later.
TEST_F(MeltTimecode, ThirtyFpsWithFrameRateShowsWhat25FpsFromHostShows) {
    const std::vector<std::string> clock{"ClockChoice=Digital Clock", "Dig Clock Format=Timecode hh:mm:ss:ff"};
    const Frames at25 = render(clock, 51);
    ASSERT_EQ(at25.count(), 51u);
    std::vector<std::string> named = clock;
    named.push_back("Frame Rate=30");
    const Frames at30 = render(named, 62, false, "atsc_720p_30");
    ASSERT_EQ(at30.count(), 62u);
    const std::vector<std::uint8_t> twoSeconds = frameBytes(at25, 50);
    EXPECT_TRUE(frameBytes(at30, 60) == twoSeconds);
    EXPECT_FALSE(frameBytes(at30, 61) == twoSeconds);
    EXPECT_TRUE(twoSeconds == labelPicture("00:00:02:00"));
    EXPECT_TRUE(frameBytes(at30, 61) == labelPicture("00:00:02:01"));
    EXPECT_TRUE(frameBytes(at25, 1) == labelPicture("00:00:00:01"));
}

// At 29.97 the drop-frame count starts on the label set and skips ;00 and ;01
// at the minute.
TEST_F(MeltTimecode, DropFrameAt2997StartsAtItsStartLabel) {
    const Frames frames = render({"ClockChoice=Digital Clock", "Dig Clock Format=Timecode drop-frame hh:mm:ss;ff",
                                  "Frame Rate=29.97", "Start Hour=10", "Start Second=59"},
                                 31, false, "atsc_720p_2997");
    ASSERT_EQ(frames.count(), 31u);
    EXPECT_TRUE(frameBytes(frames, 0) == labelPicture("10:00:59;00"));
    EXPECT_TRUE(frameBytes(frames, 1) == labelPicture("10:00:59;01"));
    EXPECT_TRUE(frameBytes(frames, 29) == labelPicture("10:00:59;29"));
    EXPECT_TRUE(frameBytes(frames, 30) == labelPicture("10:01:00;02"));
    // The plain count at 29.97 from 10:00:00 with the host's rate left alone
    // would run at 25; named, frame 30 is one second in.
    const Frames plain = render({"ClockChoice=Digital Clock", "Dig Clock Format=Timecode hh:mm:ss:ff",
                                 "Frame Rate=29.97", "Start Hour=10"},
                                31, false, "atsc_720p_2997");
    ASSERT_EQ(plain.count(), 31u);
    EXPECT_TRUE(frameBytes(plain, 0) == labelPicture("10:00:00:00"));
    EXPECT_TRUE(frameBytes(plain, 30) == labelPicture("10:00:01:00"));
}

// "From Host" in a 25 fps project: melt gives no rate, so 25 is right there.
TEST_F(MeltTimecode, TwentyFiveFpsFromHostCountsTheProjectsFrames) {
    const Frames frames =
        render({"ClockChoice=Digital Clock", "Dig Clock Format=Timecode hh:mm:ss:ff", "Start Hour=1"}, 26);
    ASSERT_EQ(frames.count(), 26u);
    EXPECT_TRUE(frameBytes(frames, 0) == labelPicture("01:00:00:00"));
    EXPECT_TRUE(frameBytes(frames, 24) == labelPicture("01:00:00:24"));
    EXPECT_TRUE(frameBytes(frames, 25) == labelPicture("01:00:01:00"));
}

}  // namespace
}  // namespace horavex::melt
