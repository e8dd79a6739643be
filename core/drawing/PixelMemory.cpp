#include "core/drawing/PixelMemory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <limits>
#include <mutex>
#include <utility>
#include <vector>

#include "common/Sanitizers.h"

#if defined(HORAVEX_ASAN)
#include <sanitizer/asan_interface.h>
#define HORAVEX_POISON(address, bytes) ASAN_POISON_MEMORY_REGION(address, bytes)
#define HORAVEX_UNPOISON(address, bytes) ASAN_UNPOISON_MEMORY_REGION(address, bytes)
#else
#define HORAVEX_POISON(address, bytes) ((void)(address), (void)(bytes))
#define HORAVEX_UNPOISON(address, bytes) ((void)(address), (void)(bytes))
#endif

namespace horavex {
namespace {

// The system's pages: committed read-write and zero, the first and last of
// them made inaccessible as guards.
#ifdef _WIN32
size_t pageSize() noexcept {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwPageSize > 0 ? static_cast<size_t>(info.dwPageSize) : 4096;
}

void* mapPages(size_t total, size_t page, bool) noexcept {
    void* mapping = VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (mapping == nullptr) {
        return nullptr;
    }
    DWORD previous = 0;
    VirtualProtect(mapping, page, PAGE_NOACCESS, &previous);
    VirtualProtect(static_cast<uint8_t*>(mapping) + total - page, page, PAGE_NOACCESS, &previous);
    return mapping;
}

void unmapPages(void* mapping, size_t) noexcept { VirtualFree(mapping, 0, MEM_RELEASE); }
#else
size_t pageSize() noexcept {
    const long pageResult = sysconf(_SC_PAGESIZE);
    return pageResult > 0 ? static_cast<size_t>(pageResult) : 4096;
}

void* mapPages(size_t total, size_t page, bool populate) noexcept {
    void* mapping = mmap(nullptr, total, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | (populate ? MAP_POPULATE : 0), -1, 0);
    if (mapping == MAP_FAILED) {
        return nullptr;
    }
    auto* base = static_cast<uint8_t*>(mapping);
    mprotect(base, page, PROT_NONE);
    mprotect(base + total - page, page, PROT_NONE);
    return mapping;
}

void unmapPages(void* mapping, size_t total) noexcept { munmap(mapping, total); }
#endif

// Fresh memory up to this size is given all its pages at once: one system
// call instead of a page fault for every page first touched, which in a
// virtual machine costs tens of microseconds each (the first frame of a
// process drew its clock 30 % faster). Larger buffers, whose clock may touch
// a small part, get their pages as they are touched.
constexpr size_t kPopulatedBytes = size_t{64} << 20;

// Enough for a few instances rendering at the same time, each with a
// frame-sized surface and the ink of the clocks it keeps; beyond it memory
// goes back to the system.
constexpr size_t kMaxIdleBuffers = 12;
constexpr size_t kMaxIdleBytes = size_t{256} << 20;

class IdleBuffers {
public:
    // The smallest idle buffer that holds bytes without wasting more than
    // as much again; its whole capacity is zero.
    bool take(size_t bytes, PixelMemory& out) {
        std::lock_guard<std::mutex> guard(mutex_);
        size_t best = buffers_.size();
        for (size_t i = 0; i < buffers_.size(); ++i) {
            const size_t capacity = buffers_[i].capacity();
            if (capacity >= bytes && capacity / 2 <= bytes &&
                (best == buffers_.size() || capacity < buffers_[best].capacity())) {
                best = i;
            }
        }
        if (best == buffers_.size()) {
            return false;
        }
        idleBytes_ -= buffers_[best].capacity();
        out = std::move(buffers_[best]);
        buffers_.erase(buffers_.begin() + static_cast<std::ptrdiff_t>(best));
        return true;
    }

    // Keeps the newest buffers; returns whatever no longer fits, for freeing
    // outside the lock.
    std::vector<PixelMemory> put(PixelMemory&& memory) {
        std::vector<PixelMemory> evicted;
        std::lock_guard<std::mutex> guard(mutex_);
        const size_t bytes = memory.capacity();
        buffers_.push_back(std::move(memory));
        idleBytes_ += bytes;
        while (!buffers_.empty() && (buffers_.size() > kMaxIdleBuffers || idleBytes_ > kMaxIdleBytes)) {
            idleBytes_ -= buffers_.front().capacity();
            evicted.push_back(std::move(buffers_.front()));
            buffers_.erase(buffers_.begin());
        }
        return evicted;
    }

private:
    std::mutex mutex_;
    std::vector<PixelMemory> buffers_;
    size_t idleBytes_ = 0;
};

IdleBuffers& idleBuffers() {
    // Never destroyed: renders may still run while static objects are torn down.
    static IdleBuffers* buffers = new IdleBuffers();
    return *buffers;
}

}  // namespace

PixelMemory::PixelMemory(PixelMemory&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)),
      mappingBytes_(std::exchange(other.mappingBytes_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

PixelMemory& PixelMemory::operator=(PixelMemory&& other) noexcept {
    if (this != &other) {
        free();
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingBytes_ = std::exchange(other.mappingBytes_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool PixelMemory::allocate(size_t bytes) noexcept {
    free();
    if (bytes == 0) {
        return false;
    }
    const size_t page = pageSize();
    if (idleBuffers().take(bytes, *this)) {
        place(page, bytes);
        return true;
    }
    const size_t rounded = (bytes / page + (bytes % page != 0 ? 1 : 0)) * page;
    if (rounded < bytes || rounded > std::numeric_limits<size_t>::max() - 2 * page) {
        return false;
    }
    const size_t total = rounded + 2 * page;
    void* mapping = mapPages(total, page, total <= kPopulatedBytes);
    if (mapping == nullptr) {
        return false;
    }
    mapping_ = mapping;
    mappingBytes_ = total;
    capacity_ = rounded;
    place(page, bytes);
    return true;
}

void PixelMemory::place(size_t page, size_t bytes) noexcept {
    // The buffer ends exactly at the upper guard page; the slack before it is
    // poisoned for the address sanitizer.
    uint8_t* usable = static_cast<uint8_t*>(mapping_) + page;
    HORAVEX_UNPOISON(usable, capacity_);
    data_ = usable + (capacity_ - bytes);
    size_ = bytes;
    HORAVEX_POISON(usable, capacity_ - bytes);
}

void PixelMemory::free() noexcept {
    if (mapping_ != nullptr) {
        HORAVEX_UNPOISON(mapping_, mappingBytes_);
        unmapPages(mapping_, mappingBytes_);
    }
    mapping_ = nullptr;
    mappingBytes_ = 0;
    capacity_ = 0;
    data_ = nullptr;
    size_ = 0;
}

void PixelMemory::recycle() noexcept {
    if (mapping_ == nullptr) {
        return;
    }
    try {
        std::vector<PixelMemory> evicted = idleBuffers().put(std::move(*this));
    } catch (...) {
        // No room to keep it: the memory is simply freed.
        free();
    }
}

}  // namespace horavex
