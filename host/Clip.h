// Clips: the objects behind OfxImageClipHandle. A descriptor clip carries the
// property set the plug-in fills in describe-in-context; an instance clip is
// a copy with the instance properties a host adds (pixel depth, components,
// premultiplication, pixel aspect ratio, frame rate...) and the images a test
// gives it, with switches to make image delivery fail.
#pragma once

#include "host/Image.h"
#include "host/PropertySet.h"
#include "ofxapi/OfxApi.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

class Host;

// One clipGetImage call as the plug-in made it.
struct ImageRequest {
    double time = 0;
    std::optional<OfxRectD> region;
    OfxStatus status = kOfxStatOK;
};

class Clip {
public:
    // A descriptor clip with the standard descriptor defaults.
    Clip(Host* host, std::string_view name);
    // An instance clip copied from a descriptor. `pixelDepth` and
    // `components` are the host's initial choice for the clip.
    Clip(Host* host, const Clip& descriptor, std::string_view pixelDepth, std::string_view components);
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;
    ~Clip();

    static Clip* fromHandle(OfxImageClipHandle handle);
    OfxImageClipHandle handle() const;
    Host* host() const;
    const std::string& name() const;
    bool isInstance() const;
    PropertySet& props();
    const PropertySet& props() const;

    // Instance property shortcuts.
    void setPixelDepth(std::string_view depth);
    void setComponents(std::string_view components);
    void setPremultiplication(std::string_view premultiplication);
    void setPixelAspectRatio(double par);
    void setFrameRate(double fps);
    void setConnected(bool connected);

    // Makes an image, gives it to the clip for every time and sets the
    // clip's depth, components and pixel aspect ratio to the image's.
    std::shared_ptr<ImageBuffer> attachImage(const ImageSpec& format);
    // The image delivered for times without an image of their own.
    void setImage(std::shared_ptr<ImageBuffer> image);
    void setImageAt(double time, std::shared_ptr<ImageBuffer> image);
    std::shared_ptr<ImageBuffer> image() const;
    std::shared_ptr<ImageBuffer> imageAt(double time) const;
    void clearImages();

    // Faults: clipGetImage returns `status` (default kOfxStatFailed) and no
    // image; or delivers images whose "OfxImagePropData" is null.
    void refuseImages(OfxStatus status = kOfxStatFailed);
    void acceptImages();
    std::optional<OfxStatus> refusal() const;
    void setNullImageData(bool on);
    bool nullImageData() const;

    // Region of definition reported by clipGetRegionOfDefinition: the one
    // set here, else the image's bounds in canonical coordinates (x scaled
    // by the pixel aspect ratio and both by the inverse render scale), else
    // the project extent of the effect.
    void setRegionOfDefinition(OfxRectD rod);
    void clearRegionOfDefinition();
    std::optional<OfxRectD> explicitRegionOfDefinition() const;
    // The last fallback above; the effect sets it to its project extent.
    void setProjectRegion(OfxRectD region);
    OfxRectD regionOfDefinition(double time) const;

    std::vector<ImageRequest> requests() const;
    void clearRequests();
    void noteRequest(const ImageRequest& request);

private:
    Host* host_;
    std::string name_;
    bool isInstance_;
    PropertySet props_;
    mutable std::mutex mutex_;
    std::shared_ptr<ImageBuffer> image_;
    std::map<double, std::shared_ptr<ImageBuffer>> imagesAt_;
    std::optional<OfxStatus> refusal_;
    bool nullData_ = false;
    std::optional<OfxRectD> rod_;
    OfxRectD projectRegion_{0, 0, 0, 0};
    std::vector<ImageRequest> requests_;
};

}  // namespace horavex::host
