// Descriptor and instance clips and their image provision.
#include "host/Clip.h"

#include "host/HandleRegistry.h"
#include "ofxapi/OfxNames.h"

namespace horavex::host {

Clip::Clip(Host* host, std::string_view name)
    : host_(host), name_(name), isInstance_(false), props_(std::string(kOfxTypeClip) + ":" + std::string(name)) {
    props_.setHost(host);
    props_.defineString(kOfxPropType, {kOfxTypeClip});
    props_.defineString(kOfxPropName, {name_});
    props_.defineString(kOfxPropLabel, {name_});
    props_.defineString("OfxPropShortLabel", {name_});
    props_.defineString("OfxPropLongLabel", {name_});
    props_.defineString(kOfxImageEffectPropSupportedComponents, {});
    props_.defineInt("OfxImageEffectPropTemporalClipAccess", {0});
    props_.defineInt("OfxImageClipPropOptional", {0});
    props_.defineInt("OfxImageClipPropIsMask", {0});
    props_.defineString("OfxImageClipPropFieldExtraction", {"OfxFieldDoubled"});
    props_.defineInt(kOfxImageEffectPropSupportsTiles, {1});
    detail::registerHandle(this, HandleKind::Clip, host);
}

Clip::Clip(Host* host, const Clip& descriptor, std::string_view pixelDepth, std::string_view components)
    : host_(host), name_(descriptor.name_), isInstance_(true), props_(descriptor.props_) {
    props_.setHost(host);
    props_.clearSetOrder();
    const std::string depth(pixelDepth);
    const std::string comps(components);
    props_.defineString(kOfxImageEffectPropPixelDepth, {depth});
    props_.defineString(kOfxImageEffectPropComponents, {comps});
    props_.defineString("OfxImageClipPropUnmappedPixelDepth", {depth});
    props_.defineString("OfxImageClipPropUnmappedComponents", {comps});
    props_.defineString(kOfxImageEffectPropPreMultiplication, {kOfxImagePreMultiplied});
    props_.defineDouble(kOfxImagePropPixelAspectRatio, {1.0});
    props_.defineDouble(kOfxImageEffectPropFrameRate, {25.0});
    props_.defineDouble("OfxImageEffectPropUnmappedFrameRate", {25.0});
    props_.defineDouble("OfxImageEffectPropFrameRange", {0.0, 100.0});
    props_.defineDouble("OfxImageEffectPropUnmappedFrameRange", {0.0, 100.0});
    props_.defineString("OfxImageClipPropFieldOrder", {kOfxImageFieldNone});
    props_.defineInt(kOfxImageClipPropConnected, {1});
    props_.defineInt("OfxImageClipPropContinuousSamples", {0});
    detail::registerHandle(this, HandleKind::Clip, host);
}

Clip::~Clip() { detail::unregisterHandle(this); }

Clip* Clip::fromHandle(OfxImageClipHandle handle) {
    if (!detail::isLiveHandle(handle, HandleKind::Clip)) return nullptr;
    return reinterpret_cast<Clip*>(handle);
}

OfxImageClipHandle Clip::handle() const { return reinterpret_cast<OfxImageClipHandle>(const_cast<Clip*>(this)); }
Host* Clip::host() const { return host_; }
const std::string& Clip::name() const { return name_; }
bool Clip::isInstance() const { return isInstance_; }
PropertySet& Clip::props() { return props_; }
const PropertySet& Clip::props() const { return props_; }

void Clip::setPixelDepth(std::string_view depth) { props_.defineString(kOfxImageEffectPropPixelDepth, {std::string(depth)}); }
void Clip::setComponents(std::string_view components) {
    props_.defineString(kOfxImageEffectPropComponents, {std::string(components)});
}
void Clip::setPremultiplication(std::string_view premultiplication) {
    props_.defineString(kOfxImageEffectPropPreMultiplication, {std::string(premultiplication)});
}
void Clip::setPixelAspectRatio(double par) { props_.defineDouble(kOfxImagePropPixelAspectRatio, {par}); }
void Clip::setFrameRate(double fps) { props_.defineDouble(kOfxImageEffectPropFrameRate, {fps}); }
void Clip::setConnected(bool connected) { props_.defineInt(kOfxImageClipPropConnected, {connected ? 1 : 0}); }

std::shared_ptr<ImageBuffer> Clip::attachImage(const ImageSpec& format) {
    auto image = std::make_shared<ImageBuffer>(format);
    setImage(image);
    // A real host never delivers an image whose format contradicts its clip.
    setPixelDepth(format.depth);
    setComponents(format.components);
    setPixelAspectRatio(format.pixelAspectRatio);
    return image;
}

void Clip::setImage(std::shared_ptr<ImageBuffer> image) {
    std::lock_guard lock(mutex_);
    image_ = std::move(image);
}

void Clip::setImageAt(double time, std::shared_ptr<ImageBuffer> image) {
    std::lock_guard lock(mutex_);
    imagesAt_[time] = std::move(image);
}

std::shared_ptr<ImageBuffer> Clip::image() const {
    std::lock_guard lock(mutex_);
    return image_;
}

std::shared_ptr<ImageBuffer> Clip::imageAt(double time) const {
    std::lock_guard lock(mutex_);
    auto it = imagesAt_.find(time);
    return it != imagesAt_.end() ? it->second : image_;
}

void Clip::clearImages() {
    std::lock_guard lock(mutex_);
    image_.reset();
    imagesAt_.clear();
}

void Clip::refuseImages(OfxStatus status) {
    std::lock_guard lock(mutex_);
    refusal_ = status;
}

void Clip::acceptImages() {
    std::lock_guard lock(mutex_);
    refusal_.reset();
}

std::optional<OfxStatus> Clip::refusal() const {
    std::lock_guard lock(mutex_);
    return refusal_;
}

void Clip::setNullImageData(bool on) {
    std::lock_guard lock(mutex_);
    nullData_ = on;
}

bool Clip::nullImageData() const {
    std::lock_guard lock(mutex_);
    return nullData_;
}

void Clip::setRegionOfDefinition(OfxRectD rod) {
    std::lock_guard lock(mutex_);
    rod_ = rod;
}

void Clip::clearRegionOfDefinition() {
    std::lock_guard lock(mutex_);
    rod_.reset();
}

std::optional<OfxRectD> Clip::explicitRegionOfDefinition() const {
    std::lock_guard lock(mutex_);
    return rod_;
}

void Clip::setProjectRegion(OfxRectD region) {
    std::lock_guard lock(mutex_);
    projectRegion_ = region;
}

OfxRectD Clip::regionOfDefinition(double time) const {
    std::shared_ptr<ImageBuffer> image;
    {
        std::lock_guard lock(mutex_);
        if (rod_) return *rod_;
        auto it = imagesAt_.find(time);
        image = it != imagesAt_.end() ? it->second : image_;
        if (!image) return projectRegion_;
    }
    const ImageSpec& format = image->format();
    const OfxRectI& b = image->bounds();
    // Pixel to canonical: x * PAR / scaleX, y / scaleY; a zero scale would
    // divide by zero, so it counts as 1.
    const double sx = format.renderScale.x != 0.0 ? format.renderScale.x : 1.0;
    const double sy = format.renderScale.y != 0.0 ? format.renderScale.y : 1.0;
    const double par = format.pixelAspectRatio;
    return OfxRectD{b.x1 * par / sx, b.y1 / sy, b.x2 * par / sx, b.y2 / sy};
}

std::vector<ImageRequest> Clip::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void Clip::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void Clip::noteRequest(const ImageRequest& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
}

}  // namespace horavex::host
