// Image buffers with exact allocations, and the handed-out image accounting.
#include "host/Image.h"

#include "host/HandleRegistry.h"
#include "host/PropertySet.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace horavex::host {
namespace {

// Released records kept for double-release detection; older ones are
// dropped so long benchmark runs stay bounded.
constexpr std::size_t kReleasedRecordsKept = 1024;

}  // namespace

int bytesPerComponent(std::string_view depth) {
    if (depth == kOfxBitDepthByte) return 1;
    if (depth == kOfxBitDepthShort || depth == kOfxBitDepthHalf) return 2;
    if (depth == kOfxBitDepthFloat) return 4;
    return 0;
}

int componentCount(std::string_view components) {
    if (components == kOfxImageComponentRGBA) return 4;
    if (components == kOfxImageComponentRGB) return 3;
    if (components == kOfxImageComponentAlpha) return 1;
    return 0;
}

ImageBuffer::ImageBuffer(ImageSpec format) : format_(std::move(format)), bounds_(format_.bounds) {
    const long long width = static_cast<long long>(bounds_.x2) - bounds_.x1;
    const long long height = static_cast<long long>(bounds_.y2) - bounds_.y1;
    if (width < 0 || height < 0) throw std::invalid_argument("image bounds are inverted");
    if (width > INT_MAX || height > INT_MAX) throw std::invalid_argument("image bounds are too large");
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);

    bytesPerPixel_ = format_.bytesPerPixel;
    if (bytesPerPixel_ == 0) bytesPerPixel_ = bytesPerComponent(format_.depth) * componentCount(format_.components);
    if (bytesPerPixel_ <= 0) {
        throw std::invalid_argument("pixel size unknown for depth " + format_.depth + " and components " +
                                    format_.components + ": give bytesPerPixel");
    }

    const long long tight = width * bytesPerPixel_;
    if (tight > INT_MAX) throw std::invalid_argument("image rows are too long for int row bytes");
    if (format_.rowBytes == INT_MIN) throw std::invalid_argument("row bytes out of range");
    const long long pitch = format_.rowBytes == 0 ? tight : std::llabs(format_.rowBytes);
    if (pitch < tight) throw std::invalid_argument("row bytes shorter than a row of pixels");
    const bool negative = format_.rowBytes < 0 || format_.negativeRowBytes;
    rowBytes_ = static_cast<int>(negative ? -pitch : pitch);

    const unsigned long long total = static_cast<unsigned long long>(pitch) * static_cast<unsigned long long>(height);
    if (total > (1ULL << 40)) throw std::invalid_argument("image too large");
    size_ = static_cast<std::size_t>(total);
    memory_.reset(new std::byte[size_]());
    data_ = memory_.get();
    if (negative && height_ > 0) data_ += static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height_ - 1);
}

const ImageSpec& ImageBuffer::format() const { return format_; }
const OfxRectI& ImageBuffer::bounds() const { return bounds_; }
int ImageBuffer::width() const { return width_; }
int ImageBuffer::height() const { return height_; }
int ImageBuffer::bytesPerPixel() const { return bytesPerPixel_; }
int ImageBuffer::rowBytes() const { return rowBytes_; }
void* ImageBuffer::data() const { return data_; }
std::byte* ImageBuffer::memory() const { return memory_.get(); }
std::size_t ImageBuffer::memorySize() const { return size_; }

bool ImageBuffer::contains(int x, int y) const {
    return x >= bounds_.x1 && x < bounds_.x2 && y >= bounds_.y1 && y < bounds_.y2;
}

std::byte* ImageBuffer::address(int x, int y) const {
    if (!contains(x, y)) {
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                ") outside the image bounds");
    }
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(y) - bounds_.y1;
    const std::ptrdiff_t column = static_cast<std::ptrdiff_t>(x) - bounds_.x1;
    return data_ + row * rowBytes_ + column * bytesPerPixel_;
}

void ImageBuffer::fillBytes(std::byte value) {
    if (size_ > 0) std::memset(memory_.get(), static_cast<int>(value), size_);
}

void ImageBuffer::checkPixelSize(std::size_t size) const {
    if (size > static_cast<std::size_t>(bytesPerPixel_)) {
        throw std::logic_error("pixel type larger than the image's " + std::to_string(bytesPerPixel_) +
                               " bytes per pixel");
    }
}

ImageTracker::ImageTracker() = default;
ImageTracker::~ImageTracker() = default;

std::size_t ImageTracker::handedOut() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(nextSerial_ - 1);
}

std::size_t ImageTracker::outstanding() const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Entry& e : entries_) {
        if (e.record.releaseCount == 0) ++n;
    }
    return n;
}

std::size_t ImageTracker::badReleases() const {
    std::lock_guard lock(mutex_);
    return badReleases_;
}

int ImageTracker::releaseCount(OfxPropertySetHandle handle) const {
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_) {
        if (e.record.handle == handle) return e.record.releaseCount;
    }
    return -1;
}

std::vector<ImageRecord> ImageTracker::records() const {
    std::lock_guard lock(mutex_);
    std::vector<ImageRecord> result;
    for (const Entry& e : entries_) result.push_back(e.record);
    return result;
}

const PropertySet* ImageTracker::properties(std::uint64_t serial) const {
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_) {
        if (e.record.serial == serial) return e.props.get();
    }
    return nullptr;
}

void ImageTracker::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    released_ = 0;
    badReleases_ = 0;
}

OfxPropertySetHandle ImageTracker::issue(std::unique_ptr<PropertySet> props, std::string clip, double time,
                                         std::shared_ptr<ImageBuffer> buffer, bool nullData) {
    std::lock_guard lock(mutex_);
    Entry e;
    e.record.serial = nextSerial_++;
    e.record.handle = props->handle();
    e.record.clip = std::move(clip);
    e.record.time = time;
    e.record.nullData = nullData;
    e.record.buffer = std::move(buffer);
    e.props = std::move(props);
    entries_.push_back(std::move(e));
    return entries_.back().record.handle;
}

OfxStatus ImageTracker::release(OfxPropertySetHandle handle, std::string& clip) {
    std::lock_guard lock(mutex_);
    // Images are usually given back soon after they were handed out: look
    // from the newest.
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(),
                                    [handle](const Entry& e) { return e.record.handle == handle; });
    if (found == entries_.rend()) {
        ++badReleases_;
        return kOfxStatErrBadHandle;
    }
    Entry& e = *found;
    clip = e.record.clip;
    ++e.record.releaseCount;
    if (e.record.releaseCount > 1) {
        ++badReleases_;
        return kOfxStatErrBadHandle;
    }
    // The set stays allocated so its address is not reused, but the
    // plug-in can no longer reach it through the suites. Its properties go
    // now, while they are still in the caches: dropping them with the
    // record, a thousand images later, cost more than making them.
    detail::unregisterHandle(e.props.get());
    e.props->clear();
    ++released_;
    if (released_ > kReleasedRecordsKept) {
        // Forget the oldest released record (not this one).
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->record.releaseCount > 0 && it->record.handle != handle) {
                entries_.erase(it);
                --released_;
                break;
            }
        }
    }
    return kOfxStatOK;
}

}  // namespace horavex::host
