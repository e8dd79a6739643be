#include "core/drawing/GdiplusRuntime.h"

#include "core/drawing/GdiplusHeaders.h"

#include <cstddef>
#include <mutex>

namespace horavex {
namespace {

struct Runtime {
    std::mutex mutex;
    ULONG_PTR token = 0;
    bool running = false;
    // Cleared by a shut-down that had to wait for the last user.
    bool wanted = false;
    std::size_t users = 0;
    uint64_t startups = 0;
};

// Never destroyed: a render may still hold GDI+ while static objects are
// torn down.
Runtime& runtime() {
    static Runtime* state = new Runtime();
    return *state;
}

// Only under the runtime's lock.
void stop(Runtime& state) {
    if (state.running) {
        Gdiplus::GdiplusShutdown(state.token);
        state.running = false;
        state.token = 0;
    }
}

}  // namespace

GdiplusUse::GdiplusUse() {
    Runtime& state = runtime();
    const std::lock_guard<std::mutex> guard(state.mutex);
    if (!state.running) {
        Gdiplus::GdiplusStartupInput input;
        input.GdiplusVersion = 1;
        input.DebugEventCallback = nullptr;
        input.SuppressBackgroundThread = FALSE;
        input.SuppressExternalCodecs = FALSE;
        state.running = Gdiplus::GdiplusStartup(&state.token, &input, nullptr) == Gdiplus::Ok;
        if (state.running) {
            ++state.startups;
        }
    }
    state.wanted = true;
    ++state.users;
    started_ = state.running;
}

GdiplusUse::~GdiplusUse() {
    Runtime& state = runtime();
    const std::lock_guard<std::mutex> guard(state.mutex);
    --state.users;
    if (state.users == 0 && !state.wanted) {
        stop(state);
    }
}

void shutDownGdiplus() {
    Runtime& state = runtime();
    const std::lock_guard<std::mutex> guard(state.mutex);
    state.wanted = false;
    if (state.users == 0) {
        stop(state);
    }
}

GdiplusStatus gdiplusStatus() {
    Runtime& state = runtime();
    const std::lock_guard<std::mutex> guard(state.mutex);
    return GdiplusStatus{state.running, state.startups};
}

}  // namespace horavex
