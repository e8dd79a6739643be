// The store through which instances share drawn clocks: which pictures it
// keeps, for how long, and how an instance's cache takes from it.
#include "core/compositing/SharedClockPictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace horavex {
namespace {

ClockKey keyFor(const std::wstring& text, int32_t width = 64, int32_t height = 32) {
    ClockValues values;
    values.clockStyle = 1;
    ShownTime shown{};
    return clockKey(values, LogFont{}, width, height, text, shown);
}

// A picture whose ink is width x height pixels (its memory is what the store counts).
std::shared_ptr<const ClockPicture> pictureOf(int32_t width, int32_t height) {
    auto picture = std::make_shared<ClockPicture>();
    picture->ink = OfxRectI{3, 5, 3 + width, 5 + height};
    picture->inkRowBytes = static_cast<std::size_t>(width) * 4;
    EXPECT_TRUE(picture->inkMemory.allocate(picture->inkRowBytes * static_cast<std::size_t>(height)));
    return picture;
}

TEST(SharedClockPictures, KeepsTheMostRecentlyUsedWithinItsCountAndBytes) {
    const auto a = pictureOf(64, 32);
    SharedClockPictures store(3 * a->bytes());  // three 64x32 pictures
    const auto b = pictureOf(64, 32);
    const auto c = pictureOf(64, 32);
    const auto d = pictureOf(64, 32);
    store.publish(keyFor(L"a"), a);
    store.publish(keyFor(L"b"), b);
    store.publish(keyFor(L"c"), c);
    EXPECT_EQ(store.size(), 3u);
    EXPECT_EQ(store.bytes(), 3 * a->bytes());
    // Using "a" makes "b" the least recently used, so "b" goes for "d".
    EXPECT_EQ(store.find(keyFor(L"a")), a);
    store.publish(keyFor(L"d"), d);
    EXPECT_EQ(store.size(), 3u);
    EXPECT_EQ(store.find(keyFor(L"b")), nullptr);
    EXPECT_EQ(store.find(keyFor(L"a")), a);
    EXPECT_EQ(store.newest(), a);
    // A key published again replaces its picture instead of taking a place.
    const auto c2 = pictureOf(64, 32);
    store.publish(keyFor(L"c"), c2);
    EXPECT_EQ(store.size(), 3u);
    EXPECT_EQ(store.find(keyFor(L"c")), c2);
    // Another frame size is another clock.
    EXPECT_EQ(store.find(keyFor(L"c", 65, 32)), nullptr);

    SharedClockPictures counted;
    for (int i = 0; i < 6; ++i) {
        counted.publish(keyFor(std::to_wstring(i)), pictureOf(8, 8));
    }
    EXPECT_EQ(counted.size(), SharedClockPictures::kMaxPictures);
}

TEST(SharedClockPictures, ThePictureLastPublishedIsKeptWhateverItsSize) {
    SharedClockPictures store(100);
    const auto big = pictureOf(64, 32);
    store.publish(keyFor(L"big"), big);
    EXPECT_EQ(store.find(keyFor(L"big")), big);
    store.publish(keyFor(L"big too"), pictureOf(64, 32));
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(store.find(keyFor(L"big")), nullptr);
}

TEST(SharedClockPictures, TheLastInstanceOutEmptiesTheStore) {
    SharedClockPictures store;
    store.attachInstance();
    store.attachInstance();
    store.publish(keyFor(L"a"), pictureOf(16, 16));
    store.detachInstance();
    EXPECT_EQ(store.size(), 1u);
    store.detachInstance();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(store.bytes(), 0u);
    // More leaving than came is not taken for arrivals.
    store.detachInstance();
    store.attachInstance();
    store.publish(keyFor(L"b"), pictureOf(16, 16));
    store.detachInstance();
    EXPECT_EQ(store.size(), 0u);
}

TEST(SharedClockPictures, ACacheTakesWhatAnotherDrewAndOffersWhatItDraws) {
    SharedClockPictures store;
    ClockCache first(&store);
    ClockCache second(&store);
    ClockCache alone;
    const ClockKey key = keyFor(L"12:00");
    const ShownTime shown{};
    EXPECT_EQ(second.last(), nullptr);
    const auto drawn = first.obtain(key, shown);
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(first.drawn(), 1u);
    // Before its first clock, the other's is the one to plan from.
    EXPECT_EQ(second.last(), drawn);
    EXPECT_EQ(second.find(key), drawn);
    EXPECT_EQ(second.obtain(key, shown), drawn);
    EXPECT_EQ(second.drawn(), 0u);
    // Without the store nothing is shared.
    EXPECT_EQ(alone.find(key), nullptr);
    EXPECT_NE(alone.obtain(key, shown), drawn);
    EXPECT_EQ(alone.drawn(), 1u);
    // A different clock is drawn, and then shared too.
    const ClockKey other = keyFor(L"12:01");
    const auto next = second.obtain(other, shown);
    EXPECT_EQ(second.drawn(), 1u);
    EXPECT_EQ(first.find(other), next);
    EXPECT_EQ(first.last(), next);
}

}  // namespace
}  // namespace horavex
