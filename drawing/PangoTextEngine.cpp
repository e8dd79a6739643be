#include "drawing/PangoTextEngine.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <strings.h>

#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps the values of its patterns at offsets relative to the
// pattern instead of at pointers, so the leak checker cannot follow them and
// reports its caches as lost. Read by the sanitizer runtime at start-up.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace horavex {
namespace {

bool isGenericFamily(const char* family) {
    static const char* const generic[] = {"sans-serif", "sans", "serif", "monospace", "mono",
                                          "cursive", "fantasy", "system-ui", "emoji", "math"};
    for (const char* name : generic) {
        if (strcasecmp(family, name) == 0) {
            return true;
        }
    }
    return false;
}

// The substituted pattern lists the requested family, then what the
// configuration binds to it, then the generic fallbacks. The requested family
// counts as present when the best match is one of the names before the first
// generic one.
bool familyPresent(const std::string& requested) {
    if (requested.empty() || requested.find(',') != std::string::npos) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(requested.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    std::vector<std::string> specific;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        const char* family = reinterpret_cast<const char*>(value);
        if (isGenericFamily(family)) {
            break;
        }
        specific.emplace_back(family);
    }
    bool present = false;
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        for (int i = 0; !present && FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch;
             ++i) {
            for (const std::string& family : specific) {
                if (strcasecmp(family.c_str(), reinterpret_cast<const char*>(value)) == 0) {
                    present = true;
                    break;
                }
            }
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return present;
}

}  // namespace

PangoTextEngine& PangoTextEngine::instance() {
    // Never destroyed: renders may still run while static objects are torn down.
    static PangoTextEngine* engine = new PangoTextEngine();
    return *engine;
}

PangoTextEngine::PangoTextEngine() {
    FcInit();
    fontMap_ = pango_cairo_font_map_new();
    context_ = pango_font_map_create_context(fontMap_);
    pango_cairo_context_set_resolution(context_, 96.0);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context_, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context_, FALSE);
}

std::string PangoTextEngine::usableFamily(std::string_view requested) {
    constexpr size_t kMaxRemembered = 64;
    std::string family(requested);
    std::lock_guard<std::mutex> guard(mutex_);
    const auto known = usableFamilies_.find(family);
    if (known != usableFamilies_.end()) {
        return known->second;
    }
    std::string usable = familyPresent(family) ? family : std::string("sans-serif");
    if (usableFamilies_.size() >= kMaxRemembered) {
        usableFamilies_.clear();
    }
    usableFamilies_.emplace(family, usable);
    return usable;
}

std::string PangoTextEngine::matchedFamily(std::string_view requested) {
    std::string family(requested);
    std::lock_guard<std::mutex> guard(mutex_);
    std::string matched;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return matched;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* value = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch) {
        matched = reinterpret_cast<const char*>(value);
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return matched;
}

}  // namespace horavex
