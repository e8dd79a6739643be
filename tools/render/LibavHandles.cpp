#include "tools/render/LibavHandles.h"

#include <new>

namespace horavex::cli {

std::string avErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(error, text, sizeof text) < 0) return "error " + std::to_string(error);
    return text;
}

void silenceLibav() { av_log_set_level(AV_LOG_QUIET); }

FramePtr newFrame() {
    FramePtr frame(av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    return frame;
}

PacketPtr newPacket() {
    PacketPtr packet(av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    return packet;
}

}  // namespace horavex::cli
