#include "core/drawing/LibraryVersions.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include <cairo.h>
#include <pango/pango.h>
#endif

namespace horavex {

#ifdef _WIN32

namespace {

// GDI+ has no version call of its own; the file version of the DLL the
// process has loaded is what tells one GDI+ from another.
std::string gdiplusFileVersion() {
    HMODULE module = GetModuleHandleW(L"gdiplus.dll");
    if (module == nullptr) module = LoadLibraryW(L"gdiplus.dll");
    if (module == nullptr) return "not found";
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return "unknown";
    path.resize(length);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return "unknown";
    std::vector<unsigned char> info(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return "unknown";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return "unknown";
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

}  // namespace

std::string drawingLibraryVersions() { return "GDI+ " + gdiplusFileVersion(); }

#else

std::string drawingLibraryVersions() {
    return std::string("Cairo ") + cairo_version_string() + ", Pango " + pango_version_string();
}

#endif

}  // namespace horavex
