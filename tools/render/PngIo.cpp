#include "tools/render/PngIo.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "tools/render/AtomicFile.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

// libpng reports errors by calling back and never returning; the callback
// jumps back to the setjmp of the function that called libpng. Those
// functions keep only trivially destructible objects in their frames, so
// the jump skips no destructor.
struct PngCall {
    std::jmp_buf jump;
    char message[200];
};

void onPngError(png_structp png, png_const_charp message) {
    auto* call = static_cast<PngCall*>(png_get_error_ptr(png));
    std::snprintf(call->message, sizeof call->message, "%s", message != nullptr ? message : "libpng error");
    std::longjmp(call->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct ReadState {
    PngCall call;
    png_structp png;
    png_infop info;
    std::FILE* file;
    png_uint_32 width;
    png_uint_32 height;
    int bitDepth;
    int channels;
};

int readHeader(ReadState& s) {
    if (setjmp(s.call.jump) != 0) return 0;
    png_init_io(s.png, s.file);
    png_set_sig_bytes(s.png, 8);
    png_set_user_limits(s.png, kMaxImageSide, kMaxImageSide);
    png_read_info(s.png, s.info);
    const int colourType = png_get_color_type(s.png, s.info);
    const int depth = png_get_bit_depth(s.png, s.info);
    const bool transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    if (transparency) png_set_tRNS_to_alpha(s.png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s.png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && !transparency) {
        png_set_add_alpha(s.png, 0xFFFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    s.width = png_get_image_width(s.png, s.info);
    s.height = png_get_image_height(s.png, s.info);
    s.bitDepth = png_get_bit_depth(s.png, s.info);
    s.channels = png_get_channels(s.png, s.info);
    return 1;
}

int readRows(ReadState& s, png_bytepp rows) {
    if (setjmp(s.call.jump) != 0) return 0;
    png_read_image(s.png, rows);
    png_read_end(s.png, nullptr);
    return 1;
}

struct WriteState {
    PngCall call;
    png_structp png;
    png_infop info;
    std::FILE* file;
    int level;
};

int writeAll(WriteState& s, png_uint_32 width, png_uint_32 height, int bitDepth, png_bytepp rows) {
    if (setjmp(s.call.jump) != 0) return 0;
    png_init_io(s.png, s.file);
    png_set_IHDR(s.png, s.info, width, height, bitDepth, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(s.png, s.level);
    // At the fast levels choosing a filter per row costs more than it saves.
    if (s.level <= 2) png_set_filter(s.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(s.png, s.info);
    png_write_image(s.png, rows);
    png_write_end(s.png, nullptr);
    return 1;
}

std::string systemError() { return std::strerror(errno); }

}  // namespace

void RgbaImage::resize(int w, int h, int depth) {
    if (w < 0 || h < 0 || w > kMaxImageSide || h > kMaxImageSide) throw std::length_error("image size out of range");
    width = w;
    height = h;
    bitDepth = depth;
    samples.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
}

bool readPng(const std::string& path, RgbaImage& image, std::string& error) {
    errno = 0;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = systemError();
        return false;
    }
    unsigned char signature[8] = {};
    if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        error = "not a PNG file";
        return false;
    }

    ReadState s{};
    s.file = file.get();
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s.call, onPngError, onPngWarning);
    if (s.png == nullptr) {
        error = "out of memory";
        return false;
    }
    s.info = png_create_info_struct(s.png);
    struct ReadGuard {
        ReadState& s;
        ~ReadGuard() { png_destroy_read_struct(&s.png, s.info != nullptr ? &s.info : nullptr, nullptr); }
    } guard{s};
    if (s.info == nullptr) {
        error = "out of memory";
        return false;
    }
    if (readHeader(s) == 0) {
        error = std::string("damaged PNG: ") + s.call.message;
        return false;
    }
    if (s.channels != 4 || (s.bitDepth != 8 && s.bitDepth != 16) || s.width == 0 || s.height == 0 ||
        s.width > kMaxImageSide || s.height > kMaxImageSide) {
        error = "unsupported PNG layout";
        return false;
    }

    const std::size_t bytesPerSample = s.bitDepth == 16 ? 2 : 1;
    const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 4 * bytesPerSample;
    std::vector<unsigned char> bytes(rowBytes * s.height);
    std::vector<png_bytep> rows(s.height);
    for (std::size_t y = 0; y < s.height; ++y) rows[y] = bytes.data() + y * rowBytes;
    if (readRows(s, rows.data()) == 0) {
        error = std::string("damaged PNG: ") + s.call.message;
        return false;
    }

    image.resize(static_cast<int>(s.width), static_cast<int>(s.height), s.bitDepth);
    const std::size_t count = image.samples.size();
    for (std::size_t i = 0; i < count; ++i) {
        // PNG stores 16-bit samples most significant byte first.
        image.samples[i] = bytesPerSample == 2 ? static_cast<uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1])
                                               : static_cast<uint16_t>(bytes[i]);
    }
    return true;
}

bool writePng(std::FILE* file, const RgbaImage& image, std::string& error, int level) {
    if (image.width < 1 || image.height < 1 || (image.bitDepth != 8 && image.bitDepth != 16) ||
        image.samples.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        error = "nothing to write";
        return false;
    }
    const std::size_t bytesPerSample = image.bitDepth == 16 ? 2 : 1;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4 * bytesPerSample;
    std::vector<unsigned char> bytes(rowBytes * static_cast<std::size_t>(image.height));
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
        const uint16_t v = image.samples[i];
        if (bytesPerSample == 2) {
            bytes[2 * i] = static_cast<unsigned char>(v >> 8);
            bytes[2 * i + 1] = static_cast<unsigned char>(v & 0xFF);
        } else {
            bytes[i] = static_cast<unsigned char>(v > 255 ? 255 : v);
        }
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = bytes.data() + y * rowBytes;

    WriteState s{};
    s.file = file;
    s.level = level < 0 ? 0 : level > 9 ? 9 : level;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s.call, onPngError, onPngWarning);
    bool written = false;
    if (s.png != nullptr) {
        s.info = png_create_info_struct(s.png);
        if (s.info != nullptr) {
            errno = 0;
            written = writeAll(s, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                               image.bitDepth, rows.data()) != 0;
            if (!written) error = errno != 0 ? systemError() : std::string(s.call.message);
        } else {
            error = "out of memory";
        }
        png_destroy_write_struct(&s.png, s.info != nullptr ? &s.info : nullptr);
    } else {
        error = "out of memory";
    }
    if (written && std::ferror(file) != 0) {
        error = "write error";
        written = false;
    }
    return written;
}

bool writePng(const std::string& path, const RgbaImage& image, std::string& error, int level) {
    return writeFileAtomically(
        path, [&image, level](std::FILE* file, std::string& reason) { return writePng(file, image, reason, level); },
        error);
}

}  // namespace horavex::cli
