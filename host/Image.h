// Images a test gives to a clip, and the accounting of every image the host
// hands to the plug-in.
//
// Memory layout follows the standard's rule: "OfxImagePropData" points at
// pixel (bounds.x1, bounds.y1) and pixel (x, y) lies at
//   data + (y - bounds.y1) * rowBytes + (x - bounds.x1) * bytesPerPixel.
// With negative row bytes the bottom row lies at the highest address. The
// allocation is exactly |rowBytes| * height bytes, so AddressSanitizer flags
// any access outside the rows.
#pragma once

#include "ofxapi/OfxApi.h"
#include "ofxapi/OfxNames.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

class PropertySet;

struct ImageSpec {
    OfxRectI bounds{0, 0, 0, 0};
    // Any string; the byte size per component is known for the standard
    // depths (byte 1, short 2, half 2, float 4); give bytesPerPixel for
    // others.
    std::string depth = kOfxBitDepthByte;
    // 0: tight (width * bytesPerPixel). Otherwise |rowBytes| is the row
    // pitch; a negative value, or negativeRowBytes, makes rows run downwards
    // in memory.
    int rowBytes = 0;
    bool negativeRowBytes = false;
    std::string components = kOfxImageComponentRGBA;
    double pixelAspectRatio = 1.0;
    std::string premultiplication = kOfxImagePreMultiplied;
    std::string field = kOfxImageFieldNone;
    OfxPointD renderScale{1.0, 1.0};
    // 0: from depth and components.
    int bytesPerPixel = 0;
};

// 0 for an unknown name.
int bytesPerComponent(std::string_view depth);
int componentCount(std::string_view components);

class ImageBuffer {
public:
    // Throws std::invalid_argument for inverted bounds, an unknown pixel
    // size, row bytes shorter than a row, or sizes that overflow.
    explicit ImageBuffer(ImageSpec format);
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    const ImageSpec& format() const;
    const OfxRectI& bounds() const;
    int width() const;
    int height() const;
    int bytesPerPixel() const;
    // Signed, as handed to the plug-in.
    int rowBytes() const;
    // The value of "OfxImagePropData".
    void* data() const;
    // The whole allocation, lowest address first.
    std::byte* memory() const;
    std::size_t memorySize() const;

    bool contains(int x, int y) const;
    // Throws std::out_of_range outside the bounds.
    std::byte* address(int x, int y) const;

    // Unaligned-safe pixel access; P must not be larger than a pixel.
    template <class P>
    P read(int x, int y) const {
        checkPixelSize(sizeof(P));
        P p;
        std::memcpy(&p, address(x, y), sizeof(P));
        return p;
    }
    template <class P>
    void write(int x, int y, const P& p) {
        checkPixelSize(sizeof(P));
        std::memcpy(address(x, y), &p, sizeof(P));
    }
    // Every pixel inside the bounds; row padding is left alone.
    template <class P>
    void fill(const P& p) {
        for (int y = bounds_.y1; y < bounds_.y2; ++y) {
            for (int x = bounds_.x1; x < bounds_.x2; ++x) write(x, y, p);
        }
    }
    // Every byte of the allocation, padding included.
    void fillBytes(std::byte value);

private:
    void checkPixelSize(std::size_t size) const;

    ImageSpec format_;
    OfxRectI bounds_;
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
    int rowBytes_ = 0;
    std::size_t size_ = 0;
    std::unique_ptr<std::byte[]> memory_;
    std::byte* data_ = nullptr;
};

// One image handed to the plug-in by clipGetImage.
struct ImageRecord {
    std::uint64_t serial = 0;
    OfxPropertySetHandle handle = nullptr;
    std::string clip;
    double time = 0;
    bool nullData = false;
    // 0 while outstanding, 1 after a proper release; more when the plug-in
    // released it again (each extra release got kOfxStatErrBadHandle).
    int releaseCount = 0;
    std::shared_ptr<ImageBuffer> buffer;
};

class ImageTracker {
public:
    ImageTracker();
    ~ImageTracker();
    ImageTracker(const ImageTracker&) = delete;
    ImageTracker& operator=(const ImageTracker&) = delete;

    std::size_t handedOut() const;
    std::size_t outstanding() const;
    // Releases of handles that were never handed out or already released.
    std::size_t badReleases() const;
    // -1 for a handle that was never handed out.
    int releaseCount(OfxPropertySetHandle handle) const;
    std::vector<ImageRecord> records() const;
    // The image property set behind a record (it outlives the release, empty,
    // so that its address is not handed out again while the record is kept;
    // suite calls on it fail once released).
    const PropertySet* properties(std::uint64_t serial) const;
    // Forgets every record; outstanding images count as released.
    void clear();

    // Host side: hands out a new image property set owned by the tracker.
    OfxPropertySetHandle issue(std::unique_ptr<PropertySet> props, std::string clip, double time,
                               std::shared_ptr<ImageBuffer> buffer, bool nullData);
    // kOfxStatOK, or kOfxStatErrBadHandle for an unknown or released
    // handle (counted); `clip` receives the image's clip name when known.
    OfxStatus release(OfxPropertySetHandle handle, std::string& clip);

private:
    struct Entry {
        ImageRecord record;
        std::unique_ptr<PropertySet> props;
    };
    mutable std::mutex mutex_;
    // Oldest first; released records are forgotten from the front.
    std::deque<Entry> entries_;
    std::size_t released_ = 0;  // records in entries_ with releaseCount > 0
    std::uint64_t nextSerial_ = 1;
    std::size_t badReleases_ = 0;
};

}  // namespace horavex::host
