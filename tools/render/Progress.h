// Progress of a render on a terminal: one line, rewritten after each frame,
// with the frame count, the speed and the time left.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace horavex::cli {

// "frame 12 of 50, 24.0 fps, 0:02 left"; without a measurable speed yet
// only "frame 0 of 50". With no total (0), "frame 12, 24.0 fps".
std::string formatProgress(int64_t done, int64_t total, double elapsedSeconds);
// "0:07", "12:34", "1:02:03"; whole seconds, rounded up.
std::string formatDuration(double seconds);

class Progress {
public:
    // Writes nothing when not enabled.
    Progress(int64_t total, bool enabled, std::FILE* out = stderr);
    // Ends a shown line, so that a message after a failed frame starts on
    // a line of its own.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void frameDone();
    // Ends the line (only when something was shown, and only once).
    void finish();

private:
    void show(bool force);

    int64_t total_;
    int64_t done_ = 0;
    bool enabled_;
    bool shown_ = false;
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace horavex::cli
