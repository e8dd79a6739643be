// Abort switch, message record, memory blocks and time line.
#include "host/HostServices.h"

#include "host/Suites.h"

#include <new>

namespace horavex::host {
namespace {

// Larger requests fail up front: the sanitizers' allocators abort on
// absurd sizes instead of throwing.
constexpr std::size_t kLargestAllocation = std::size_t{1} << 40;

}  // namespace

void AbortControl::set(bool aborting) {
    std::lock_guard lock(mutex_);
    aborting_ = aborting;
    abortAfter_.reset();
}

void AbortControl::abortAfter(std::size_t calls) {
    std::lock_guard lock(mutex_);
    aborting_ = false;
    abortAfter_ = calls;
    callsAtArm_ = calls_;
}

void AbortControl::reset() {
    std::lock_guard lock(mutex_);
    aborting_ = false;
    abortAfter_.reset();
    calls_ = 0;
    callsAtArm_ = 0;
}

std::size_t AbortControl::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void AbortControl::throwOnSuiteThreads(bool on) {
    std::lock_guard lock(mutex_);
    throwOnSuiteThreads_ = on;
}

int AbortControl::poll() {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (throwOnSuiteThreads_ && onSuiteThread()) throw std::bad_alloc();
    if (abortAfter_) return calls_ - callsAtArm_ > *abortAfter_ ? 1 : 0;
    return aborting_ ? 1 : 0;
}

void MessageLog::record(Message message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(message));
}

std::vector<Message> MessageLog::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::size_t MessageLog::size() const {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

void MessageLog::clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

void MessageLog::setQuestionReply(OfxStatus reply) {
    std::lock_guard lock(mutex_);
    questionReply_ = reply;
}

OfxStatus MessageLog::questionReply() const {
    std::lock_guard lock(mutex_);
    return questionReply_;
}

MemoryTracker::MemoryTracker() = default;

MemoryTracker::~MemoryTracker() = default;

std::size_t MemoryTracker::outstandingBlocks() const {
    std::lock_guard lock(mutex_);
    return blocks_.size();
}

std::size_t MemoryTracker::outstandingImageMemory() const {
    std::lock_guard lock(mutex_);
    return imageBlocks_.size();
}

std::size_t MemoryTracker::badCalls() const {
    std::lock_guard lock(mutex_);
    return badCalls_;
}

void MemoryTracker::failAllocations(bool on) {
    std::lock_guard lock(mutex_);
    fail_ = on;
}

OfxStatus MemoryTracker::alloc(std::size_t bytes, void** out) {
    if (out == nullptr) return kOfxStatErrValue;
    *out = nullptr;
    std::lock_guard lock(mutex_);
    if (fail_ || bytes > kLargestAllocation) return kOfxStatErrMemory;
    std::unique_ptr<std::byte[]> block(new (std::nothrow) std::byte[bytes]);
    if (!block) return kOfxStatErrMemory;
    void* p = block.get();
    blocks_.emplace(p, std::move(block));
    *out = p;
    return kOfxStatOK;
}

OfxStatus MemoryTracker::free(void* block) {
    std::lock_guard lock(mutex_);
    if (blocks_.erase(block) == 0) {
        ++badCalls_;
        return kOfxStatErrBadHandle;
    }
    return kOfxStatOK;
}

MemoryTracker::ImageBlock* MemoryTracker::findImageBlock(OfxImageMemoryHandle handle) {
    auto* block = reinterpret_cast<ImageBlock*>(handle);
    auto it = imageBlocks_.find(block);
    return it == imageBlocks_.end() ? nullptr : block;
}

OfxStatus MemoryTracker::imageAlloc(std::size_t bytes, OfxImageMemoryHandle* out) {
    if (out == nullptr) return kOfxStatErrValue;
    *out = nullptr;
    std::lock_guard lock(mutex_);
    if (fail_ || bytes > kLargestAllocation) return kOfxStatErrMemory;
    auto block = std::make_unique<ImageBlock>();
    block->memory.reset(new (std::nothrow) std::byte[bytes]);
    if (!block->memory) return kOfxStatErrMemory;
    ImageBlock* key = block.get();
    imageBlocks_.emplace(key, std::move(block));
    *out = reinterpret_cast<OfxImageMemoryHandle>(key);
    return kOfxStatOK;
}

OfxStatus MemoryTracker::imageFree(OfxImageMemoryHandle handle) {
    std::lock_guard lock(mutex_);
    ImageBlock* block = findImageBlock(handle);
    if (block == nullptr) {
        ++badCalls_;
        return kOfxStatErrBadHandle;
    }
    imageBlocks_.erase(block);
    return kOfxStatOK;
}

OfxStatus MemoryTracker::imageLock(OfxImageMemoryHandle handle, void** out) {
    std::lock_guard lock(mutex_);
    ImageBlock* block = findImageBlock(handle);
    if (block == nullptr) {
        ++badCalls_;
        if (out != nullptr) *out = nullptr;
        return kOfxStatErrBadHandle;
    }
    if (out == nullptr) return kOfxStatErrValue;
    ++block->locks;
    *out = block->memory.get();
    return kOfxStatOK;
}

OfxStatus MemoryTracker::imageUnlock(OfxImageMemoryHandle handle) {
    std::lock_guard lock(mutex_);
    ImageBlock* block = findImageBlock(handle);
    if (block == nullptr) {
        ++badCalls_;
        return kOfxStatErrBadHandle;
    }
    if (block->locks == 0) {
        ++badCalls_;
        return kOfxStatErrValue;
    }
    --block->locks;
    return kOfxStatOK;
}

double TimeLine::time() const {
    std::lock_guard lock(mutex_);
    return time_;
}

void TimeLine::setTime(double time) {
    std::lock_guard lock(mutex_);
    time_ = time;
}

void TimeLine::bounds(double& first, double& last) const {
    std::lock_guard lock(mutex_);
    first = first_;
    last = last_;
}

void TimeLine::setBounds(double first, double last) {
    std::lock_guard lock(mutex_);
    first_ = first;
    last_ = last;
}

}  // namespace horavex::host
