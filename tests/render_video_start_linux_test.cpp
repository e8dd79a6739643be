// --start-from-file: the clock's start from a file's creation time (local
// time or UTC) or, for the timecode formats, from its timecode, so that the
// first frame shows exactly when it was recorded; and an error saying what
// is missing unless the metadata is optional.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "adapter/ParamNames.h"
#include "support/Processes.h"
#include "tools/render/RenderSession.h"
#include "tools/render/StartFromFile.h"

namespace horavex::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using horavex::testing::ffmpeg;
using horavex::testing::ProcessResult;
using horavex::testing::ProcessSetup;
using horavex::testing::runRender;
using horavex::testing::ScratchDir;

std::vector<std::string> settingTexts(const StartSettings& start) {
    std::vector<std::string> texts;
    for (const Setting& s : start.settings) texts.push_back(s.name + "=" + s.value);
    return texts;
}

constexpr StartFromFile kLocal{true, false, false};
constexpr StartFromFile kUtc{true, true, false};
constexpr FrameRateRatio kNtsc{30000, 1001};

// Sets TZ for the life of the object.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (old_.empty()) {
            unsetenv("TZ");
        } else {
            setenv("TZ", old_.c_str(), 1);
        }
        tzset();
    }

private:
    std::string old_;
};

TEST(StartFromFile, CreationTimeGivesDateAndTimeInTheLocalZoneOrUtc) {
    SourceInfo info;
    info.creationTime = "2024-05-01T22:30:15.250000Z";
    const ZoneScope zone("Europe/Berlin");
    EXPECT_THAT(settingTexts(startFromFile(info, kUtc, false, kNtsc)),
                ElementsAre("Start Year=2024", "Start Month=5", "Start Day=1", "Start Hour=22", "Start Minute=30",
                            "Start Second=15.250"));
    // Two hours ahead in summer, past midnight into the next day.
    const StartSettings local = startFromFile(info, kLocal, false, kNtsc);
    EXPECT_THAT(settingTexts(local), ElementsAre("Start Year=2024", "Start Month=5", "Start Day=2", "Start Hour=0",
                                                 "Start Minute=30", "Start Second=15.250"));
    EXPECT_THAT(local.note, HasSubstr("2024-05-02 00:30:15.250 local time"));
}

TEST(StartFromFile, TimecodeGivesTheTimeItsFrameCountStandsFor) {
    SourceInfo info;
    info.creationTime = "2024-05-01T10:00:00Z";
    // Drop-frame: 10:00:00;00 is frame 1078920, at 30000/1001 that many
    // frames take 35999.964 seconds.
    info.timecode = "10:00:00;00";
    EXPECT_THAT(settingTexts(startFromFile(info, kLocal, true, kNtsc)),
                ElementsAre("Start Hour=9", "Start Minute=59", "Start Second=59.964"));
    // Without drop-frame the same label is 1080000 frames, 36036 seconds.
    info.timecode = "10:00:00:00";
    EXPECT_THAT(settingTexts(startFromFile(info, kLocal, true, kNtsc)),
                ElementsAre("Start Hour=10", "Start Minute=0", "Start Second=36.000"));
    info.timecode = "01:02:03:12";
    EXPECT_THAT(settingTexts(startFromFile(info, kLocal, true, FrameRateRatio{25, 1})),
                ElementsAre("Start Hour=1", "Start Minute=2", "Start Second=03.480"));
}

TEST(StartFromFile, MissingMetadataIsAnErrorUnlessOptional) {
    SourceInfo info;
    info.timecode = "10:00:00:00";
    const auto failure = [&](bool timecode) -> std::string {
        try {
            startFromFile(info, kLocal, timecode, kNtsc);
        } catch (const CliError& e) {
            EXPECT_EQ(e.exitCode(), kExitFile);
            return e.what();
        }
        return "";
    };
    EXPECT_THAT(failure(false), HasSubstr("the source has no creation time"));
    info = SourceInfo{};
    info.creationTime = "2024-05-01T10:00:00Z";
    EXPECT_THAT(failure(true), HasSubstr("the source has no timecode"));
    info.timecode = "not a timecode";
    EXPECT_THAT(failure(true), HasSubstr("no timecode that can be read (\"not a timecode\")"));

    const StartSettings optional = startFromFile(SourceInfo{}, StartFromFile{true, false, true}, false, kNtsc);
    EXPECT_TRUE(optional.settings.empty());
    EXPECT_THAT(optional.note, HasSubstr("the start is as set"));
    EXPECT_TRUE(startFromFile(info, StartFromFile{}, true, kNtsc).settings.empty());
}

class StartFromFileProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=30000/1001:duration=0.2", "-c:v", "libx264",
                            "-preset", "ultrafast", "-metadata", "creation_time=2024-05-01T10:00:00.000000Z",
                            "-timecode", "10:00:00;00", clip()}));
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25:duration=0.2", "-c:v", "libx264",
                            "-preset", "ultrafast", "-fflags", "+bitexact", bare()}));
    }
    std::string clip() const { return dir_ / "clip.mov"; }
    std::string bare() const { return dir_ / "bare.mkv"; }

    ScratchDir dir_;
};

TEST_F(StartFromFileProgram, TheClockShowsWhenEachFrameWasRecorded) {
    const ProcessResult timecode =
        runRender({"--source", clip(), "--start-from-file", "--text", "--frames", "0-1", "--set",
                   "Dig Clock Format=Timecode drop-frame hh:mm:ss;ff"});
    ASSERT_EQ(timecode.exitCode, 0) << timecode.err;
    EXPECT_EQ(timecode.out, "0 10:00:00;00\n1 10:00:00;01\n");
    EXPECT_THAT(timecode.err, HasSubstr("start from the timecode 10:00:00;00: 09:59:59.964"));

    const ProcessResult utc = runRender({"--source", clip(), "--start-from-file=utc", "--text", "--frames", "0-1", "--set",
                                         "Dig Clock Format=Free Format", "--set",
                                         "Dig Clock Free Format=%Y-%m-%d %H:%M:%S"});
    ASSERT_EQ(utc.exitCode, 0) << utc.err;
    EXPECT_EQ(utc.out, "0 2024-05-01 10:00:00\n1 2024-05-01 10:00:00\n");

    ProcessSetup tokyo;
    tokyo.environment = {"TZ=Asia/Tokyo"};
    const ProcessResult local = runRender({"--source", clip(), "--start-from-file", "--text"}, tokyo);
    ASSERT_EQ(local.exitCode, 0) << local.err;
    EXPECT_EQ(local.out, "0 19:00:00.000\n");

    const ProcessResult rendered =
        runRender({"--source", clip(), "--start-from-file", "--quiet", "--out", dir_ / "out.mp4"});
    EXPECT_EQ(rendered.exitCode, 0) << rendered.err;
    EXPECT_THAT(rendered.err, HasSubstr("start from the creation time"));
}

TEST_F(StartFromFileProgram, AFileWithoutTheMetadataSaysWhatIsMissing) {
    const ProcessResult missing = runRender({"--source", bare(), "--start-from-file", "--text"});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_THAT(missing.err, HasSubstr("the source has no creation time"));
    const ProcessResult noTimecode = runRender({"--source", bare(), "--start-from-file", "--text", "--set",
                                               "Dig Clock Format=Timecode hh:mm:ss:ff"});
    EXPECT_EQ(noTimecode.exitCode, 4);
    EXPECT_THAT(noTimecode.err, HasSubstr("the source has no timecode"));
    const ProcessResult optional =
        runRender({"--source", bare(), "--start-from-file=optional", "--text", "--set", "Start Hour=7"});
    EXPECT_EQ(optional.exitCode, 0) << optional.err;
    EXPECT_EQ(optional.out, "0 07:00:00.000\n");
    const ProcessResult notVideo = runRender({"--start-from-file", "--text"});
    EXPECT_EQ(notVideo.exitCode, 2);
    EXPECT_THAT(notVideo.err, HasSubstr("--start-from-file needs a video file as --source"));
}

}  // namespace
}  // namespace horavex::cli
