#include "core/drawing/PangoTextEngine.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <strings.h>

#include <cstring>

#include <vector>

#include "common/Sanitizers.h"

#if defined(HORAVEX_ASAN)
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

// Whether fontconfig has a face of this family installed.
bool familyInstalled(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
    bool installed = false;
    if (pattern != nullptr && objects != nullptr) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
        FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
        installed = fonts != nullptr && fonts->nfont > 0;
        if (fonts != nullptr) {
            FcFontSetDestroy(fonts);
        }
    }
    if (objects != nullptr) {
        FcObjectSetDestroy(objects);
    }
    if (pattern != nullptr) {
        FcPatternDestroy(pattern);
    }
    return installed;
}

// The requested family counts as present when a face of it, or of a family
// the configuration binds to it strongly (as "Arial" to a metric-compatible
// face), is installed. A match alone proves nothing: fontconfig always finds
// some face, and the configuration adds weak bindings (Debian's before the
// generic families) to every name, known or not.
bool familyPresent(const std::string& requested) {
    if (requested.empty() || requested.find(',') != std::string::npos) {
        return false;
    }
    if (isGenericFamily(requested.c_str())) {
        return true;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(requested.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    std::vector<std::string> bound;
    FcPatternIter iter;
    FcPatternIterStart(pattern, &iter);
    do {
        const char* object = FcPatternIterGetObject(pattern, &iter);
        if (object == nullptr || std::strcmp(object, FC_FAMILY) != 0) {
            continue;
        }
        for (int i = 0; i < FcPatternIterValueCount(pattern, &iter); ++i) {
            FcValue value;
            FcValueBinding binding = FcValueBindingWeak;
            if (FcPatternIterGetValue(pattern, &iter, i, &value, &binding) == FcResultMatch &&
                value.type == FcTypeString && binding != FcValueBindingWeak) {
                bound.emplace_back(reinterpret_cast<const char*>(value.u.s));
            }
        }
    } while (FcPatternIterNext(pattern, &iter));
    FcPatternDestroy(pattern);
    if (bound.empty()) {
        bound.push_back(requested);
    }
    for (const std::string& family : bound) {
        if (!isGenericFamily(family.c_str()) && familyInstalled(family.c_str())) {
            return true;
        }
    }
    return false;
}

}  // namespace

PangoTextEngine& PangoTextEngine::instance() {
    // Never destroyed: renders may still run while static objects are torn down.
    static PangoTextEngine* engine = new PangoTextEngine();
    return *engine;
}

PangoTextEngine::PangoTextEngine() {
    FcInit();
    makeFontMap();
}

void PangoTextEngine::makeFontMap() {
    if (context_ != nullptr) {
        g_object_unref(context_);
    }
    if (fontMap_ != nullptr) {
        g_object_unref(fontMap_);
    }
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

void PangoTextEngine::noteFace(const std::string& family, double pixels) {
    const FaceKey key{family, pixels};
    if (faces_.count(key) != 0) {
        return;
    }
    // The font map keeps every face and size it has loaded for the life of
    // the map; a fresh map drops them all.
    if (faces_.size() >= kMaxFaces) {
        makeFontMap();
        faces_.clear();
    }
    faces_.insert(key);
}

size_t PangoTextEngine::keptFaces() {
    std::lock_guard<std::mutex> guard(mutex_);
    return faces_.size();
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
