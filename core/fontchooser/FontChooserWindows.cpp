// The Windows font dialog, run in the host's process on the thread that sent
// the button's instance-changed action.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <iterator>

#include "core/fontchooser/FontChooser.h"

namespace horavex {
namespace {

struct WindowSearch {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && IsWindowEnabled(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The host's window that the dialog belongs to: the active window of this
// thread, else any visible top-level window of the host. A host without one
// (a render service, a command-line renderer) has no user to answer a modal
// dialog, which would then block it unseen.
HWND hostWindow() {
    if (HWND active = GetActiveWindow(); active != nullptr) {
        return active;
    }
    WindowSearch search;
    search.process = GetCurrentProcessId();
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

FontChooserOutcome chooseFont(LogFont& font) {
    const HWND owner = hostWindow();
    if (owner == nullptr) {
        return FontChooserOutcome::Unavailable;
    }
    LOGFONTW chosen = font;
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpLogFont = &chosen;
    dialog.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    if (ChooseFontW(&dialog) == FALSE) {
        // No error code: the user cancelled.
        return CommDlgExtendedError() == 0 ? FontChooserOutcome::Cancelled : FontChooserOutcome::Unavailable;
    }
    // Only what the font string and the drawing use changes, as with the
    // chooser on Linux; pitch-and-family and the rest keep their values.
    font.lfHeight = chosen.lfHeight;
    font.lfWeight = chosen.lfWeight;
    font.lfItalic = chosen.lfItalic != 0 ? 1 : 0;
    font.lfUnderline = chosen.lfUnderline != 0 ? 1 : 0;
    font.lfStrikeOut = chosen.lfStrikeOut != 0 ? 1 : 0;
    std::copy(std::begin(chosen.lfFaceName), std::end(chosen.lfFaceName), std::begin(font.lfFaceName));
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    return FontChooserOutcome::Chosen;
}

}  // namespace horavex
