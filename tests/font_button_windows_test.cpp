// The font button of the Windows build: the system's font dialog runs in the
// host's process, owned by the host's window. A host without a window gets
// the message Linux gives when no display can be opened; with a window the
// dialog opens on the stored font, and a helper thread plays the user.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "adapter/InstanceChanged.h"
#include "support/HostBuilders.h"

namespace horavex::host::testing {
namespace {

class FontButtonOnWindows : public ::testing::Test {
protected:
    void SetUp() override { session_ = loadEffect(kOfxImageEffectContextFilter); }

    Param& fontParam() { return session_->param("FontParam"); }
    OfxStatus pressFontButton() { return session_->paramChanged("Button_Font"); }
    std::vector<Message> messages() const { return session_.host->messages().messages(); }

    PluginSession session_;
};

TEST_F(FontButtonOnWindows, AHostWithoutAWindowGetsTheNoDialogMessageAndTheFontReEncoded) {
    fontParam().setString("0x1B 1 0 0 0620 34 Arial");
    EXPECT_EQ(pressFontButton(), kOfxStatFailed);
    EXPECT_EQ(fontParam().stringValue(), "27 1 0 0 400 34 Arial");
    const std::vector<Message> posted = messages();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].type, kOfxMessageError);
    EXPECT_EQ(posted[0].text, kNoFontDialogMessage);

    fontParam().setString("");
    EXPECT_EQ(pressFontButton(), kOfxStatFailed);
    EXPECT_EQ(fontParam().stringValue(), "-27 0 0 0 400 34 Arial");
}

TEST_F(FontButtonOnWindows, OtherChangesOpenNothing) {
    fontParam().setString("-16 0 0 0 400 34 Arial");
    EXPECT_EQ(session_->paramChanged("Button_Font", kOfxChangePluginEdited), kOfxStatReplyDefault);
    EXPECT_EQ(session_->paramChanged("ClockSize"), kOfxStatReplyDefault);
    EXPECT_EQ(fontParam().stringValue(), "-16 0 0 0 400 34 Arial");
    EXPECT_TRUE(messages().empty());
}

// A visible top-level window standing in for the host's main window.
class HostWindow {
public:
    HostWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"HoravexTestHost";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"HoravexTestHost", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 200,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~HostWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Waits for a dialog owned by `owner` to show, unchecks the box `uncheck`
// (none when 0) and presses `button`.
class DialogAnswer {
public:
    DialogAnswer(HWND owner, int button, int uncheck = 0)
        : thread_([this, owner, button, uncheck] {
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
              while (std::chrono::steady_clock::now() < deadline) {
                  HWND dialog = FindWindowW(L"#32770", nullptr);
                  if (dialog != nullptr && GetWindow(dialog, GW_OWNER) == owner && IsWindowVisible(dialog)) {
                      opened_ = true;
                      if (uncheck != 0) {
                          HWND box = GetDlgItem(dialog, uncheck);
                          SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
                          // What a click would tell the dialog.
                          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(uncheck, BN_CLICKED),
                                       reinterpret_cast<LPARAM>(box));
                      }
                      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          }) {}
    ~DialogAnswer() { thread_.join(); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    bool opened() const { return opened_; }

private:
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

TEST_F(FontButtonOnWindows, TheDialogOpensOnTheStoredFontAndWritesItBack) {
    HostWindow host;
    if (host.get() == nullptr) {
        GTEST_SKIP() << "no window can be made here (no display)";
    }
    fontParam().setString("-16 0 1 1 700 49 Liberation_Serif");
    {
        // The dialog's strike-out box (chx1) switched off, the rest confirmed.
        DialogAnswer confirm(host.get(), IDOK, chx1);
        EXPECT_EQ(pressFontButton(), kOfxStatOK);
    }
    // The stored face, size, weight and underline come back from the dialog;
    // pitch-and-family is kept.
    EXPECT_EQ(fontParam().stringValue(), "-16 0 0 1 700 49 Liberation_Serif");
    EXPECT_TRUE(messages().empty());

    fontParam().setString("0x1B 0 0 0 400 34 Arial");
    bool opened = false;
    {
        DialogAnswer cancel(host.get(), IDCANCEL);
        EXPECT_EQ(pressFontButton(), kOfxStatOK);
        opened = cancel.opened();
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(fontParam().stringValue(), "27 0 0 0 400 34 Arial");
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace horavex::host::testing
