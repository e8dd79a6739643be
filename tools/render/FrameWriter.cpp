#include "tools/render/FrameWriter.h"

#include <cstring>
#include <filesystem>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <system_error>
#include <thread>

#include "ofxapi/OfxNames.h"
#include "tools/render/PixelTransfer.h"
#include "tools/render/RenderSession.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {
namespace {

void copyInto(const host::ImageBuffer& image, std::shared_ptr<host::ImageBuffer>& copy) {
    if (copy == nullptr || copy->memorySize() != image.memorySize()) {
        copy = std::make_shared<host::ImageBuffer>(image.format());
    }
    std::memcpy(copy->memory(), image.memory(), image.memorySize());
}

void writePngFrame(const host::ImageBuffer& output, const std::string& path, int compression) {
    const std::filesystem::path file(path);
    std::error_code error;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        throw CliError(kExitFile, joinText({"cannot write ", inQuotes(path), ": cannot make the folder ",
                                            inQuotes(file.parent_path().string()), ": ", error.message()}));
    }
    std::string reason;
    if (!writePng(path, imageToRgba(output), reason, compression)) {
        throw CliError(kExitFile, joinText({"cannot write ", inQuotes(path), ": ", reason}));
    }
}

}  // namespace

std::vector<unsigned char> rawFrameBytes(const RgbaImage& picture) {
    const std::size_t count = picture.samples.size();
    std::vector<unsigned char> bytes;
    if (picture.bitDepth == 8) {
        bytes.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const uint16_t v = picture.samples[i];
            bytes[i] = static_cast<unsigned char>(v > 255 ? 255 : v);
        }
    } else {
        bytes.resize(count * 2);
        for (std::size_t i = 0; i < count; ++i) {
            bytes[2 * i] = static_cast<unsigned char>(picture.samples[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<unsigned char>(picture.samples[i] >> 8);
        }
    }
    return bytes;
}

void rawFrameBytes(const host::ImageBuffer& image, std::vector<unsigned char>& bytes) {
    if (image.format().depth != kOfxBitDepthByte) {
        bytes = rawFrameBytes(imageToRgba(image));
        return;
    }
    const int width = image.width();
    const int height = image.height();
    bytes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    const OfxRectI& b = image.bounds();
    for (int row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const uint8_t*>(image.address(b.x1, b.y2 - 1 - row));
        straightenByteRow(in, bytes.data() + static_cast<std::size_t>(row) * width * 4, width);
    }
}

FrameWriter::FrameWriter(std::function<std::string(int64_t)> pathOf, int compression, std::FILE* rawOut,
                         unsigned inFlight)
    : pathOf_(std::move(pathOf)), compression_(compression), rawOut_(rawOut), inFlight_(inFlight) {
    if (inFlight_ == 0) {
        const unsigned cpus = std::thread::hardware_concurrency();
        inFlight_ = (cpus == 0 ? 1 : cpus) + 1;
    }
#ifdef _WIN32
    // Pixels, not text: no line-end translation.
    if (rawOut_ != nullptr) _setmode(_fileno(rawOut_), _O_BINARY);
#endif
}

FrameWriter::~FrameWriter() {
    for (auto& frame : pending_) {
        if (frame.valid()) frame.wait();
    }
}

void FrameWriter::write(int64_t frame, const host::ImageBuffer& output) {
    while (pending_.size() >= inFlight_) {
        completeOldest();
    }
    Done work;
    if (!spare_.empty()) {
        work = std::move(spare_.back());
        spare_.pop_back();
    }
    copyInto(output, work.copy);
    if (pathOf_) {
        std::string path = pathOf_(frame);
        const int compression = compression_;
        pending_.push_back(std::async(std::launch::async, [work = std::move(work), path, compression]() mutable {
            writePngFrame(*work.copy, path, compression);
            return std::move(work);
        }));
    } else {
        pending_.push_back(std::async(std::launch::async, [work = std::move(work)]() mutable {
            rawFrameBytes(*work.copy, work.bytes);
            return std::move(work);
        }));
    }
}

void FrameWriter::finish() {
    while (!pending_.empty()) {
        completeOldest();
    }
    if (rawOut_ != nullptr && std::fflush(rawOut_) != 0) {
        throw CliError(kExitFile, "cannot write to the standard output");
    }
}

void FrameWriter::completeOldest() {
    std::future<Done> oldest = std::move(pending_.front());
    pending_.pop_front();
    Done done = oldest.get();
    const std::vector<unsigned char>& bytes = done.bytes;
    if (rawOut_ != nullptr && !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), rawOut_) != bytes.size()) {
        throw CliError(kExitFile, "cannot write to the standard output");
    }
    spare_.push_back(std::move(done));
}

}  // namespace horavex::cli
