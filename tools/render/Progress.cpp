#include "tools/render/Progress.h"

#include <cmath>
#include <cstdio>

#include "common/Saturate.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

std::string formatDuration(double seconds) {
    const int64_t whole = seconds > 0.0 ? saturatingTrunc<int64_t>(std::ceil(seconds)) : 0;
    const int64_t hours = whole / 3600;
    const int64_t minutes = whole / 60 % 60;
    const int64_t secs = whole % 60;
    char text[64];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(hours),
                      static_cast<long long>(minutes), static_cast<long long>(secs));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(secs));
    }
    return text;
}

std::string formatProgress(int64_t done, int64_t total, double elapsedSeconds) {
    // A stream's length is not known beforehand: no total, no time left.
    std::string line = total > 0 ? joinText({"frame ", std::to_string(done), " of ", std::to_string(total)})
                                 : joinText({"frame ", std::to_string(done)});
    if (done <= 0 || !(elapsedSeconds > 0.0) || !std::isfinite(elapsedSeconds)) return line;
    const double fps = static_cast<double>(done) / elapsedSeconds;
    char speed[64];
    std::snprintf(speed, sizeof speed, ", %.1f fps", fps);
    line += speed;
    if (total <= 0) return line;
    const int64_t left = total > done ? total - done : 0;
    line += joinText({", ", formatDuration(static_cast<double>(left) / fps), " left"});
    return line;
}

Progress::Progress(int64_t total, bool enabled, std::FILE* out)
    : total_(total), enabled_(enabled), out_(out), start_(std::chrono::steady_clock::now()), lastShown_(start_) {}

void Progress::frameDone() {
    ++done_;
    show(done_ == total_ || done_ == 1);
}

Progress::~Progress() { finish(); }

void Progress::finish() {
    if (enabled_ && shown_) {
        std::fputc('\n', out_);
        std::fflush(out_);
        shown_ = false;
    }
}

void Progress::show(bool force) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    // A terminal redrawn for every fast frame only slows the render down.
    if (!force && now - lastShown_ < std::chrono::milliseconds(100)) return;
    lastShown_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    // \r returns to the line's start; \033[K clears what a longer line left.
    std::fprintf(out_, "\r%s\033[K", formatProgress(done_, total_, elapsed).c_str());
    std::fflush(out_);
    shown_ = true;
}

}  // namespace horavex::cli
