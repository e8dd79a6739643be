// Clocks drawn by any instance, for the others.
//
// A host may create an instance for every frame it renders (MLT does so for
// every plug-in that lets it render frames at once); an instance's own memory
// of its last clock then never serves a second frame. Pictures are shared
// through this store instead: the most recently used ones, within a byte
// budget (the newest is always kept), emptied when the last instance goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/compositing/ClockPicture.h"

namespace horavex {

class SharedClockPictures {
public:
    static constexpr std::size_t kMaxPictures = 4;
    static constexpr std::size_t kDefaultByteBudget = std::size_t{100} << 20;

    explicit SharedClockPictures(std::size_t byteBudget = kDefaultByteBudget) : budget_(byteBudget) {}
    SharedClockPictures(const SharedClockPictures&) = delete;
    SharedClockPictures& operator=(const SharedClockPictures&) = delete;

    // The picture of `key`, now the most recently used; null when none is kept.
    std::shared_ptr<const ClockPicture> find(const ClockKey& key);
    // Keeps `picture` as the picture of `key` and the most recently used,
    // dropping the least recently used ones beyond the budget.
    void publish(const ClockKey& key, std::shared_ptr<const ClockPicture> picture);
    // The most recently used picture, whatever its key; null when none is kept.
    std::shared_ptr<const ClockPicture> newest() const;

    // Instances count themselves in and out; the last one out empties the store.
    void attachInstance();
    void detachInstance();

    std::size_t size() const;
    std::size_t bytes() const;

private:
    struct Entry {
        ClockKey key;
        std::shared_ptr<const ClockPicture> picture;
        std::size_t bytes = 0;
    };

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;  // most recently used first
    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::size_t instances_ = 0;
};

// The store every instance of this plug-in shares.
SharedClockPictures& sharedClockPictures();

}  // namespace horavex
