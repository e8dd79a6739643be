#include "support/FontFaces.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "core/drawing/PangoTextEngine.h"
#endif

namespace horavex::testing {

#ifdef _WIN32
namespace {

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

std::string matchedFontFamily(std::string_view family) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    const int length = MultiByteToWideChar(CP_UTF8, 0, family.data(), static_cast<int>(family.size()),
                                           query.lfFaceName, LF_FACESIZE - 1);
    query.lfFaceName[length > 0 ? length : 0] = L'\0';
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &query, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found ? std::string(family) : std::string();
}
#else
std::string matchedFontFamily(std::string_view family) { return PangoTextEngine::instance().matchedFamily(family); }
#endif

}  // namespace horavex::testing
