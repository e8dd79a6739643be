#include "tools/render/FrameWriter.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "tools/render/PixelTransfer.h"
#include "tools/render/RenderSession.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {
namespace {

std::shared_ptr<host::ImageBuffer> copyOf(const host::ImageBuffer& image) {
    auto copy = std::make_shared<host::ImageBuffer>(image.format());
    std::memcpy(copy->memory(), image.memory(), image.memorySize());
    return copy;
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

FrameWriter::FrameWriter(std::function<std::string(int64_t)> pathOf, int compression, std::FILE* rawOut,
                         unsigned inFlight)
    : pathOf_(std::move(pathOf)), compression_(compression), rawOut_(rawOut), inFlight_(inFlight) {
    if (inFlight_ == 0) {
        const unsigned cpus = std::thread::hardware_concurrency();
        inFlight_ = (cpus == 0 ? 1 : cpus) + 1;
    }
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
    std::shared_ptr<host::ImageBuffer> copy = copyOf(output);
    if (pathOf_) {
        std::string path = pathOf_(frame);
        const int compression = compression_;
        pending_.push_back(std::async(std::launch::async, [copy, path, compression] {
            writePngFrame(*copy, path, compression);
            return std::vector<unsigned char>{};
        }));
    } else {
        pending_.push_back(
            std::async(std::launch::async, [copy] { return rawFrameBytes(imageToRgba(*copy)); }));
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
    std::future<std::vector<unsigned char>> oldest = std::move(pending_.front());
    pending_.pop_front();
    const std::vector<unsigned char> bytes = oldest.get();
    if (rawOut_ != nullptr && !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), rawOut_) != bytes.size()) {
        throw CliError(kExitFile, "cannot write to the standard output");
    }
}

}  // namespace horavex::cli
