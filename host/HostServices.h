// Small pieces of host state behind the service suites: the abort switch,
// the recorded messages, the memory blocks handed out, and the time line.
#pragma once

#include "ofxapi/OfxApi.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace horavex::host {

// What the image-effect suite's abort() answers.
class AbortControl {
public:
    // abort() answers `aborting` from now on.
    void set(bool aborting);
    // abort() answers 0 for the next `calls` calls and 1 afterwards, so a
    // test can abort a render part-way.
    void abortAfter(std::size_t calls);
    // Never abort; the call count restarts at zero.
    void reset();
    // Fault: abort() throws std::bad_alloc into the plug-in when asked from
    // a thread the multi-thread suite runs.
    void throwOnSuiteThreads(bool on);
    // abort() calls so far.
    std::size_t calls() const;
    // Counts one call and returns the answer.
    int poll();

private:
    mutable std::mutex mutex_;
    bool aborting_ = false;
    std::optional<std::size_t> abortAfter_;
    std::size_t calls_ = 0;
    std::size_t callsAtArm_ = 0;
    bool throwOnSuiteThreads_ = false;
};

struct Message {
    void* handle = nullptr;
    std::string type;
    std::string id;
    std::string text;
};

class MessageLog {
public:
    void record(Message message);
    std::vector<Message> messages() const;
    std::size_t size() const;
    void clear();
    // The answer to "OfxMessageQuestion" messages (default kOfxStatReplyYes).
    void setQuestionReply(OfxStatus reply);
    OfxStatus questionReply() const;

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    OfxStatus questionReply_ = kOfxStatReplyYes;
};

// Blocks of the memory suite and of the image-effect suite's image memory,
// each allocated with exactly the size asked for.
class MemoryTracker {
public:
    MemoryTracker();
    ~MemoryTracker();
    MemoryTracker(const MemoryTracker&) = delete;
    MemoryTracker& operator=(const MemoryTracker&) = delete;

    std::size_t outstandingBlocks() const;
    std::size_t outstandingImageMemory() const;
    // Frees, unlocks and locks of pointers or handles not handed out.
    std::size_t badCalls() const;
    // Fault: every allocation fails with kOfxStatErrMemory.
    void failAllocations(bool on);

    OfxStatus alloc(std::size_t bytes, void** out);
    OfxStatus free(void* block);
    OfxStatus imageAlloc(std::size_t bytes, OfxImageMemoryHandle* out);
    OfxStatus imageFree(OfxImageMemoryHandle handle);
    OfxStatus imageLock(OfxImageMemoryHandle handle, void** out);
    OfxStatus imageUnlock(OfxImageMemoryHandle handle);

private:
    struct ImageBlock {
        std::unique_ptr<std::byte[]> memory;
        int locks = 0;
    };
    ImageBlock* findImageBlock(OfxImageMemoryHandle handle);

    mutable std::mutex mutex_;
    bool fail_ = false;
    std::size_t badCalls_ = 0;
    std::map<void*, std::unique_ptr<std::byte[]>> blocks_;
    std::map<ImageBlock*, std::unique_ptr<ImageBlock>> imageBlocks_;
};

class TimeLine {
public:
    double time() const;
    void setTime(double time);
    void bounds(double& first, double& last) const;
    void setBounds(double first, double last);

private:
    mutable std::mutex mutex_;
    double time_ = 0;
    double first_ = 0;
    double last_ = 100;
};

}  // namespace horavex::host
