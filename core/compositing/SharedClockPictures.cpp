#include "core/compositing/SharedClockPictures.h"

#include <algorithm>
#include <utility>

namespace horavex {
namespace {

std::size_t bytesOf(const ClockPicture& picture) {
    return picture.bytes();
}

}  // namespace

std::shared_ptr<const ClockPicture> SharedClockPictures::find(const ClockKey& key) {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (sameClock(entries_[i].key, key)) {
            // Most recently used first.
            std::rotate(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(i),
                        entries_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return entries_.front().picture;
        }
    }
    return nullptr;
}

void SharedClockPictures::publish(const ClockKey& key, std::shared_ptr<const ClockPicture> picture) {
    if (picture == nullptr) {
        return;
    }
    // Pictures dropped here are freed after the lock is let go.
    std::vector<Entry> dropped;
    const std::size_t bytes = bytesOf(*picture);
    const std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (sameClock(it->key, key)) {
            bytes_ -= it->bytes;
            dropped.push_back(std::move(*it));
            entries_.erase(it);
            break;
        }
    }
    entries_.insert(entries_.begin(), Entry{key, std::move(picture), bytes});
    bytes_ += bytes;
    while (entries_.size() > 1 && (entries_.size() > kMaxPictures || bytes_ > budget_)) {
        bytes_ -= entries_.back().bytes;
        dropped.push_back(std::move(entries_.back()));
        entries_.pop_back();
    }
}

std::shared_ptr<const ClockPicture> SharedClockPictures::newest() const {
    const std::lock_guard lock(mutex_);
    return entries_.empty() ? nullptr : entries_.front().picture;
}

void SharedClockPictures::attachInstance() {
    const std::lock_guard lock(mutex_);
    ++instances_;
}

void SharedClockPictures::detachInstance() {
    std::vector<Entry> dropped;
    {
        const std::lock_guard lock(mutex_);
        if (instances_ > 0) {
            --instances_;
        }
        if (instances_ == 0) {
            dropped.swap(entries_);
            bytes_ = 0;
        }
    }
    // Pictures are freed outside the lock.
}

std::size_t SharedClockPictures::size() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

std::size_t SharedClockPictures::bytes() const {
    const std::lock_guard lock(mutex_);
    return bytes_;
}

SharedClockPictures& sharedClockPictures() {
    // Never destroyed: an instance a host forgets to destroy may still hold
    // it when the library's statics go.
    static SharedClockPictures* const store = new SharedClockPictures();
    return *store;
}

}  // namespace horavex
