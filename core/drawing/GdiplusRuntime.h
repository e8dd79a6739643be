// GDI+ for the whole process: started when the process first draws and shut
// down when the plug-in is unloaded, both under one lock. GDI+ wants its
// start-up and shut-down to be rare and never to overlap; starting it around
// every render costs each render a start-up and lets two threads start and
// stop it at once.
#pragma once

#include <cstdint>

namespace horavex {

// Held by everything made with GDI+ (a Graphics, a font): GDI+ is started by
// the first one, if it is not running, and is never shut down while one is
// left.
class GdiplusUse {
public:
    GdiplusUse();
    ~GdiplusUse();
    GdiplusUse(const GdiplusUse&) = delete;
    GdiplusUse& operator=(const GdiplusUse&) = delete;

    // Whether GDI+ could be started.
    bool started() const noexcept { return started_; }

private:
    bool started_ = false;
};

// Shuts GDI+ down now, or, while something made with it is left, as soon as
// the last such thing is gone. The next GdiplusUse starts it again.
void shutDownGdiplus();

// Whether GDI+ is running, and how many times this process has started it.
struct GdiplusStatus {
    bool running = false;
    uint64_t startups = 0;
};
GdiplusStatus gdiplusStatus();

}  // namespace horavex
