#include "drawing/PixelMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <limits>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define HORAVEX_POISON(address, bytes) ASAN_POISON_MEMORY_REGION(address, bytes)
#define HORAVEX_UNPOISON(address, bytes) ASAN_UNPOISON_MEMORY_REGION(address, bytes)
#else
#define HORAVEX_POISON(address, bytes) ((void)(address), (void)(bytes))
#define HORAVEX_UNPOISON(address, bytes) ((void)(address), (void)(bytes))
#endif

namespace horavex {

bool PixelMemory::allocate(size_t bytes) noexcept {
    free();
    if (bytes == 0) {
        return false;
    }
    const long pageResult = sysconf(_SC_PAGESIZE);
    const size_t page = pageResult > 0 ? static_cast<size_t>(pageResult) : 4096;
    const size_t rounded = (bytes / page + (bytes % page != 0 ? 1 : 0)) * page;
    if (rounded < bytes || rounded > std::numeric_limits<size_t>::max() - 2 * page) {
        return false;
    }
    const size_t total = rounded + 2 * page;
    void* mapping = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        return false;
    }
    auto* base = static_cast<uint8_t*>(mapping);
    mprotect(base, page, PROT_NONE);
    mprotect(base + page + rounded, page, PROT_NONE);
    mapping_ = mapping;
    mappingBytes_ = total;
    // The buffer ends exactly at the upper guard page; the slack before it is
    // poisoned for the address sanitizer.
    data_ = base + page + (rounded - bytes);
    size_ = bytes;
    HORAVEX_POISON(base + page, rounded - bytes);
    return true;
}

void PixelMemory::free() noexcept {
    if (mapping_ != nullptr) {
        HORAVEX_UNPOISON(mapping_, mappingBytes_);
        munmap(mapping_, mappingBytes_);
    }
    mapping_ = nullptr;
    mappingBytes_ = 0;
    data_ = nullptr;
    size_ = 0;
}

}  // namespace horavex
