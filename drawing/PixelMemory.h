// Zero-filled pixel memory for one drawing surface.
#pragma once

#include <cstddef>
#include <cstdint>

namespace horavex {

// Memory that reads as zero from the start. The pages come straight from the
// operating system, so nothing is written until a pixel is touched: a surface
// as large as a 4K frame costs only what the clock actually covers. Guard pages
// on both sides turn a stray access outside the buffer into a fault instead of
// silent damage.
class PixelMemory {
public:
    PixelMemory() = default;
    ~PixelMemory() { free(); }
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;

    // Returns false, holding nothing, when the memory cannot be had.
    bool allocate(size_t bytes) noexcept;
    void free() noexcept;

    uint8_t* data() const noexcept { return data_; }
    size_t size() const noexcept { return size_; }

private:
    void* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace horavex
