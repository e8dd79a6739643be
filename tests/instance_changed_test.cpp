// The font button through the in-tree host: which changes open the chooser,
// what the chooser is shown, and what ends up in "FontParam" for a choice, a
// cancel and a chooser that cannot be opened. A stand-in program plays the
// user; the real dialog is tested in font_dialog_test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/fontchooser/FontChooser.h"
#include "adapter/InstanceChanged.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kChosenAnswer[] =
    "chosen\nface=Liberation Serif\nsize=12\nweight=700\nitalic=1\nunderline=0\nstrikeout=1\n";

// Sets an environment variable for the length of a test and puts back what
// was there before.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) {
            previous_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (previous_) {
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

class FontButton : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/horavex-button-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        const fs::path chooser = folder_ / "chooser";
        // Notes what it was shown, then answers with whatever the test left
        // in "answer".
        std::ofstream(chooser) << "#!/bin/sh\n"
                                  "dir=$(dirname \"$0\")\n"
                                  "printf '%s\\n' \"$@\" > \"$dir/arguments\"\n"
                                  "cat \"$dir/answer\"\n";
        fs::permissions(chooser, fs::perms::owner_all);
        chooserOverride_.emplace(kFontChooserOverrideVariable, chooser.c_str());
        answer(kChosenAnswer);
        session_ = loadEffect(kOfxImageEffectContextFilter);
    }

    void TearDown() override {
        session_.effect.reset();
        session_.host.reset();
        session_.library.reset();
        chooserOverride_.reset();
        fs::remove_all(folder_);
    }

    void answer(const std::string& text) { std::ofstream(folder_ / "answer") << text; }

    bool chooserRan() const { return fs::exists(folder_ / "arguments"); }

    std::string shownArguments() const {
        std::ifstream in(folder_ / "arguments");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    Param& fontParam() { return session_->param("FontParam"); }

    OfxStatus pressFontButton() { return session_->paramChanged("Button_Font"); }

    std::vector<Message> messages() const { return session_.host->messages().messages(); }

    fs::path folder_;
    std::optional<ScopedEnv> chooserOverride_;
    PluginSession session_;
};

TEST_F(FontButton, ConfirmedChoiceIsStoredInFontParam) {
    fontParam().setString("-16 0 0 1 400 49 DejaVu_Sans");
    EXPECT_EQ(pressFontButton(), kOfxStatOK);
    EXPECT_EQ(shownArguments(),
              "--face=DejaVu Sans\n--size=12\n--weight=400\n--italic=0\n--underline=1\n--strikeout=0\n");
    // Pitch-and-family is not the chooser's to change.
    EXPECT_EQ(fontParam().stringValue(), "-16 1 1 0 700 49 Liberation_Serif");
    EXPECT_TRUE(messages().empty());
}

TEST_F(FontButton, CancelStoresTheStartingFontReEncoded) {
    answer("cancelled\n");
    fontParam().setString("0x1B 0 0 0 0620 34 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatOK);
    EXPECT_EQ(shownArguments(), "--face=Arial\n--size=20\n--weight=400\n--italic=0\n--underline=0\n--strikeout=0\n");
    EXPECT_EQ(fontParam().stringValue(), "27 0 0 0 400 34 Arial");
    EXPECT_TRUE(messages().empty());
}

TEST_F(FontButton, EmptyFontParamStartsFromTheDefaults) {
    answer("cancelled\n");
    fontParam().setString("");
    EXPECT_EQ(pressFontButton(), kOfxStatOK);
    EXPECT_EQ(shownArguments(), "--face=Arial\n--size=20\n--weight=400\n--italic=0\n--underline=0\n--strikeout=0\n");
    EXPECT_EQ(fontParam().stringValue(), "-27 0 0 0 400 34 Arial");
}

TEST_F(FontButton, StringWithoutHeightStartsFromTheDefaults) {
    answer("cancelled\n");
    fontParam().setString("0 1 1 1 700 17 Courier");
    EXPECT_EQ(pressFontButton(), kOfxStatOK);
    EXPECT_EQ(fontParam().stringValue(), "-27 0 0 0 400 34 Arial");
}

TEST_F(FontButton, DefaultFontConfirmedUnchangedBecomesMinus27) {
    answer("chosen\nface=Arial\nsize=20\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\n");
    fontParam().resetToDefault();
    ASSERT_EQ(fontParam().stringValue(), "27 0 0 0 400 34 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatOK);
    EXPECT_EQ(fontParam().stringValue(), "-27 0 0 0 400 34 Arial");
}

TEST_F(FontButton, NonAsciiFaceTravelsAsUtf8) {
    answer("chosen\nface=Caf\xC3\xA9 Sans\nsize=20\nweight=400\nitalic=0\nunderline=0\nstrikeout=0\n");
    fontParam().setString("-27 0 0 0 400 34 \xE6\xB8\xB8_Gothic");
    EXPECT_EQ(pressFontButton(), kOfxStatOK);
    const std::string shown = shownArguments();
    EXPECT_EQ(shown.substr(0, shown.find('\n')), "--face=\xE6\xB8\xB8 Gothic");
    EXPECT_EQ(fontParam().stringValue(), "-27 0 0 0 400 34 Caf\xC3\xA9_Sans");
}

TEST_F(FontButton, OtherChangesAreLeftToTheHost) {
    fontParam().setString("-16 0 0 0 400 34 Arial");
    EXPECT_EQ(session_->paramChanged("Button_Font", kOfxChangePluginEdited), kOfxStatReplyDefault);
    EXPECT_EQ(session_->paramChanged("Button_Font", kOfxChangeTime), kOfxStatReplyDefault);
    EXPECT_EQ(session_->paramChanged("ClockSize"), kOfxStatReplyDefault);
    EXPECT_EQ(session_->paramChanged("FontParam"), kOfxStatReplyDefault);
    EXPECT_EQ(session_->instanceChanged(kOfxTypeClip, "Button_Font", kOfxChangeUserEdited, 0.0),
              kOfxStatReplyDefault);
    EXPECT_FALSE(chooserRan());
    EXPECT_EQ(fontParam().stringValue(), "-16 0 0 0 400 34 Arial");
}

TEST_F(FontButton, UnavailableChooserKeepsTheFontAndSaysSo) {
    answer("unavailable\n");
    fontParam().setString("0x1B 1 0 0 400 34 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatFailed);
    EXPECT_EQ(fontParam().stringValue(), "27 1 0 0 400 34 Arial");
    const std::vector<Message> posted = messages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].type, kOfxMessageError);
    EXPECT_EQ(posted[0].text, kNoFontDialogMessage);
    EXPECT_EQ(posted[0].handle, static_cast<void*>(session_->handle()));
}

TEST_F(FontButton, ChooserThatCannotStartCountsAsUnavailable) {
    ScopedEnv missing(kFontChooserOverrideVariable, (folder_ / "no-such-program").c_str());
    fontParam().setString("-16 0 0 0 400 34 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatFailed);
    EXPECT_EQ(fontParam().stringValue(), "-16 0 0 0 400 34 Arial");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, kNoFontDialogMessage);
}

TEST_F(FontButton, MalformedAnswerCountsAsUnavailable) {
    answer("chosen\nface=Half an answer\n");
    fontParam().setString("-16 0 0 0 400 34 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatFailed);
    EXPECT_EQ(fontParam().stringValue(), "-16 0 0 0 400 34 Arial");
    EXPECT_EQ(messages().size(), 1u);
}

// The bundled chooser itself, with nowhere to open a window.
TEST_F(FontButton, NoDisplayLeavesTheFontReEncodedAndSaysSo) {
    chooserOverride_.reset();
    ScopedEnv noOverride(kFontChooserOverrideVariable, nullptr);
    ScopedEnv noX("DISPLAY", nullptr);
    ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    ASSERT_TRUE(fs::exists(pluginBundlePath() / "Contents" / "Linux-x86-64" / kFontChooserProgramName));
    fontParam().setString("+27 0 0 0 400 042 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatFailed);
    EXPECT_EQ(fontParam().stringValue(), "27 0 0 0 400 34 Arial");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].type, kOfxMessageError);
    EXPECT_EQ(messages()[0].text, kNoFontDialogMessage);
}

TEST(FontButtonWithoutMessages, UnavailableChooserStillKeepsTheFont) {
    ScopedEnv missing(kFontChooserOverrideVariable, "/nonexistent/horavex-chooser");
    auto library = std::make_unique<PluginLibrary>(PluginLibrary::open(pluginBundlePath()));
    Host host;
    host.bind(library->plugin(0), library->bundlePath().string());
    host.faults().omitSuite(kOfxMessageSuite);
    host.load();
    ASSERT_EQ(host.describe(), kOfxStatOK);
    std::unique_ptr<Effect> effect = host.createEffect(kOfxImageEffectContextFilter);
    effect->param("FontParam").setString("0x1B 0 0 0 400 34 Arial");
    EXPECT_EQ(effect->paramChanged("Button_Font"), kOfxStatFailed);
    EXPECT_EQ(effect->param("FontParam").stringValue(), "27 0 0 0 400 34 Arial");
    EXPECT_TRUE(host.messages().messages().empty());
    effect.reset();
}

}  // namespace
}  // namespace horavex::host::testing
