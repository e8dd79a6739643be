// The "FontParam" decoder on any bytes, and its round trip: whatever decodes
// must encode to a string that decodes to the same font, and encoding any
// font record stays inside the buffer it is given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/values/FontString.h"
#include "fuzz/FuzzCheck.h"

namespace {

bool sameStoredFields(const horavex::LogFont& a, const horavex::LogFont& b) {
    return a.lfHeight == b.lfHeight && a.lfItalic == b.lfItalic && a.lfStrikeOut == b.lfStrikeOut &&
           a.lfUnderline == b.lfUnderline && a.lfWeight == b.lfWeight && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::memcmp(a.lfFaceName, b.lfFaceName, sizeof a.lfFaceName) == 0;
}

bool faceTerminated(const horavex::LogFont& font) {
    for (auto c : font.lfFaceName) {
        if (c == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace horavex;
    // The first input byte picks a buffer size for the bounded encoder; the
    // rest is the text as a host would hand it over (terminated).
    const size_t encodeSize = size > 0 ? data[0] : 0;
    const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);

    LogFont decoded{};
    const OfxStatus status = decodeFont(text.c_str(), decoded);
    FUZZ_CHECK(status == kOfxStatOK || status == kOfxStatErrFormat);
    FUZZ_CHECK(faceTerminated(decoded));

    const std::string encoded = encodeFont(decoded);
    if (status == kOfxStatOK && decoded.lfFaceName[0] != 0) {
        LogFont again{};
        FUZZ_CHECK(decodeFont(encoded.c_str(), again) == kOfxStatOK);
        FUZZ_CHECK(sameStoredFields(decoded, again));
        FUZZ_CHECK(encodeFont(again) == encoded);
    }

    // The bounded encoder with an exact-size heap buffer, so the sanitizer
    // sees every byte past its end.
    std::vector<char> out(encodeSize == 0 ? 1 : encodeSize, '\x7f');
    encodeFont(decoded, out.data(), encodeSize);
    if (encodeSize > 0) {
        FUZZ_CHECK(std::memchr(out.data(), '\0', out.size()) != nullptr);
        FUZZ_CHECK(std::string(out.data()) == encoded.substr(0, encodeSize - 1));
    }

    // Any record a dialog could fill, face units included, encodes and decodes
    // without harm.
    if (size >= sizeof(LogFont)) {
        LogFont raw;
        std::memcpy(&raw, data, sizeof raw);
        raw.lfFaceName[std::size(raw.lfFaceName) - 1] = 0;
        LogFont back{};
        const OfxStatus rawStatus = decodeFont(encodeFont(raw).c_str(), back);
        FUZZ_CHECK(rawStatus == kOfxStatOK || rawStatus == kOfxStatErrFormat);
        FUZZ_CHECK(faceTerminated(back));
        (void)faceNameUtf8(raw);
    }
    return 0;
}
