// Reading and writing PNG files as plain RGBA pictures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace horavex::cli {

// Straight (not premultiplied) RGBA, rows from the top, samples 0..255 at
// bit depth 8 and 0..65535 at bit depth 16, four per pixel.
struct RgbaImage {
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    std::vector<uint16_t> samples;

    // Throws std::length_error when the picture cannot be held.
    void resize(int w, int h, int depth);
    uint16_t* pixel(int x, int y) { return samples.data() + (static_cast<std::size_t>(y) * width + x) * 4; }
    const uint16_t* pixel(int x, int y) const {
        return samples.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
    uint16_t maxSample() const { return bitDepth == 16 ? 65535 : 255; }
};

// Any PNG (grey, palette, RGB, with or without alpha, 1 to 16 bits): grey
// becomes RGB, a missing alpha becomes opaque, bit depths below 8 become 8,
// 16 stays 16. Sides above kMaxImageSide are refused. Returns false with
// `error` saying why (no such file, not a PNG, damaged...).
bool readPng(const std::string& path, RgbaImage& image, std::string& error);

// An RGBA PNG of the image's bit depth, written as writeFileAtomically
// writes: complete or not at all, never over anything but a regular file.
// zlib compression `level` 0 to 9 (6 is libpng's usual; 3 writes frames by
// the hundred at a fair size). Returns false with `error` saying why.
bool writePng(const std::string& path, const RgbaImage& image, std::string& error, int level = 3);

// The same PNG into an open file (left open).
bool writePng(std::FILE* file, const RgbaImage& image, std::string& error, int level = 3);

}  // namespace horavex::cli
