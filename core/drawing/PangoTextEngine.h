// The process-wide font machinery behind text drawing: one fontconfig set-up,
// one Pango font map and context, made on first use and kept for the life of
// the process. Pango's font map is not safe to use from several threads at
// once, and renders of different instances may run at the same time, so every
// use of these objects holds the engine's lock.
#pragma once

#include <pango/pango.h>

#include <cstddef>
#include <map>
#include <set>
#include <utility>
#include <mutex>
#include <string>
#include <string_view>

namespace horavex {

class PangoTextEngine {
public:
    static PangoTextEngine& instance();

    std::mutex& lock() noexcept { return mutex_; }
    // Only while holding lock().
    PangoContext* context() const noexcept { return context_; }

    // The family to ask Pango for: the requested one when fontconfig has it
    // (under its own name or an alias it binds to it, as "Arial" to a
    // metric-compatible face), else the generic "sans-serif". Holds the lock itself.
    std::string usableFamily(std::string_view requested);

    // The family of the face fontconfig picks for a name. Holds the lock itself.
    std::string matchedFamily(std::string_view requested);

    // Faces (family and pixel size) the font map may hold at most; past it,
    // the map is made afresh.
    static constexpr size_t kMaxFaces = 128;
    // Tells the engine a face is about to be used. Only while holding lock().
    void noteFace(const std::string& family, double pixels);
    // Faces noted since the font map was made. Holds the lock itself.
    size_t keptFaces();

    PangoTextEngine(const PangoTextEngine&) = delete;
    PangoTextEngine& operator=(const PangoTextEngine&) = delete;

private:
    using FaceKey = std::pair<std::string, double>;

    PangoTextEngine();
    // Replaces the font map and context; only while holding the lock (or
    // while constructing).
    void makeFontMap();

    std::mutex mutex_;
    // Answers of usableFamily: a fontconfig match is far slower than a render's
    // drawing. Fonts installed while the process runs are not noticed.
    std::map<std::string, std::string> usableFamilies_;
    std::set<FaceKey> faces_;
    PangoFontMap* fontMap_ = nullptr;
    PangoContext* context_ = nullptr;
};

}  // namespace horavex
