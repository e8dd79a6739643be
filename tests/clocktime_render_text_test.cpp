// The time text as renders build it through the in-tree host: the free
// format is the host's current text of "Dig Clock Free Format", asked for only
// when the free format is chosen, and its line draws exactly like the fixed
// format that spells the same text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/HostBuilders.h"

#include "common/Sanitizers.h"

#if defined(HORAVEX_ASAN)
// The plug-in draws text through fontconfig, which keeps the values of its
// patterns at offsets instead of pointers, so the leak checker takes its
// caches for lost. The sanitizer runtime reads this from the program only.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace horavex::host::testing {
namespace {

constexpr OfxRectI kFrame{0, 0, 320, 200};
constexpr int kDigital = 1;
constexpr int kLed = 2;

// One plug-in load for the whole suite, and the binary stays mapped until the
// process ends: once it has drawn text, the text library's types stay
// registered with GLib and its caches hang off the plug-in's statics, so an
// unload would leave the types pointing at code that is gone (a second load
// cannot register them again) and the caches unreachable.
class RenderText : public ::testing::Test {
protected:
    static PluginSession& session() {
        static PluginSession* const kept = new PluginSession(loadEffect(kOfxImageEffectContextGenerator));
        return *kept;
    }

    static void SetUpTestSuite() { session(); }

    static void TearDownTestSuite() {
        session().effect.reset();
        session().host.reset();
    }

    void SetUp() override {
        Effect& effect = *session().effect;
        effect.param("Start Hour").setInt(9);
        effect.param("Start Minute").setInt(5);
        effect.param("Start Second").setDouble(7.089);
        effect.param("Start Day").setInt(3);
        effect.param("Start Month").setInt(4);
        effect.param("Start Year").setInt(2018);
        effect.param("ClockSize").setDouble(0.5);
    }

    // The frame drawn in `style` with format `format` (and free text `text`).
    std::shared_ptr<ImageBuffer> draw(int style, int format, const std::string& text = " ") {
        Effect& effect = *session().effect;
        effect.param("ClockChoice").setInt(style);
        effect.param("Dig Clock Format").setInt(format);
        effect.param("Dig Clock Free Format").setString(text);
        const FrameImages images = attachFrame(effect, imageSpec(kFrame));
        EXPECT_EQ(effect.render(0.0, kFrame), kOfxStatOK);
        return images.output;
    }

    size_t freeFormatReads(std::string_view function) const {
        size_t count = 0;
        for (const CallRecord& call : session().host->calls().matching(function)) {
            count += call.target == "Dig Clock Free Format" || call.argument == "Dig Clock Free Format";
        }
        return count;
    }

};


TEST_F(RenderText, FreeFormatDrawsLikeTheFixedFormatItSpells) {
    for (const int style : {kDigital, kLed}) {
        SCOPED_TRACE(style);
        const auto fixed = draw(style, 3);
        const auto free = draw(style, 13, "%H:%M:%S");
        EXPECT_GT(countPixelsNot(*fixed, kFrame, Rgba{0, 0, 0, 0}), 0u);
        EXPECT_EQ(countDifferences(*fixed, *free, kFrame), 0u);
        const auto other = draw(style, 13, "%H:%M:%S.");
        EXPECT_GT(countDifferences(*fixed, *other, kFrame), 0u);
    }
}

TEST_F(RenderText, FreeFormatIsReadOnlyWhenChosenAndAsItIsNow) {
    session().host->calls().clear();
    draw(kDigital, 3);
    draw(kLed, 12);
    EXPECT_EQ(freeFormatReads("paramGetHandle"), 0u);

    session().host->calls().clear();
    draw(kDigital, 13, "%Y");
    EXPECT_GE(freeFormatReads("paramGetValue"), 1u);
    EXPECT_EQ(freeFormatReads("paramGetValueAtTime"), 0u);
}

}  // namespace
}  // namespace horavex::host::testing
