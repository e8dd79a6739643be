// Zero-filled pixel memory for drawing surfaces.
#pragma once

#include <cstddef>
#include <cstdint>

namespace horavex {

// Memory that reads as zero when handed out. Fresh pages come straight from the
// operating system; memory a surface has finished with goes back to a small
// process-wide pool once its user has zeroed it again, so that the next render
// of the same size neither waits for the system to supply pages nor clears a
// whole frame. Guard pages on both sides turn a stray access outside the
// buffer into a fault instead of silent damage.
class PixelMemory {
public:
    PixelMemory() = default;
    ~PixelMemory() { free(); }
    PixelMemory(PixelMemory&& other) noexcept;
    PixelMemory& operator=(PixelMemory&& other) noexcept;
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;

    // Returns false, holding nothing, when the memory cannot be had.
    bool allocate(size_t bytes) noexcept;
    // Gives the memory back to the system.
    void free() noexcept;
    // Hands memory that is all zero again to the pool for the next allocation.
    void recycle() noexcept;

    uint8_t* data() const noexcept { return data_; }
    size_t capacity() const noexcept { return capacity_; }
    size_t size() const noexcept { return size_; }

private:
    // Puts a buffer of bytes at the end of the usable pages.
    void place(size_t page, size_t bytes) noexcept;

    void* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    size_t capacity_ = 0;  // usable bytes between the guard pages
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace horavex
