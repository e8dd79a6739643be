// The object behind OfxImageEffectHandle: the plug-in's effect descriptor,
// a per-context descriptor, or an effect instance. Each has its effect
// property set, its parameter set and its clips in definition order.
#pragma once

#include "host/Clip.h"
#include "host/Param.h"
#include "host/PropertySet.h"
#include "ofxapi/OfxApi.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

class Host;

enum class EffectRole { Descriptor, ContextDescriptor, Instance };

class ImageEffect {
public:
    ImageEffect(Host* host, EffectRole role, std::string context, std::string tag);
    ImageEffect(const ImageEffect&) = delete;
    ImageEffect& operator=(const ImageEffect&) = delete;
    ~ImageEffect();

    static ImageEffect* fromHandle(OfxImageEffectHandle handle);
    OfxImageEffectHandle handle() const;

    Host* host() const;
    EffectRole role() const;
    bool isInstance() const;
    // Empty for the plug-in's main descriptor.
    const std::string& context() const;
    PropertySet& props();
    const PropertySet& props() const;
    ParamSet& params();
    const ParamSet& params() const;
    // The parameter set is replaced when an instance is built.
    void setParams(std::unique_ptr<ParamSet> params);

    // Throws std::invalid_argument for a duplicate name.
    Clip& defineClip(std::string_view name);
    void addClip(std::unique_ptr<Clip> clip);
    Clip* findClip(std::string_view name) const;
    // Throws std::out_of_range for an unknown name.
    Clip& clip(std::string_view name) const;
    // Definition order.
    std::vector<Clip*> clips() const;
    std::vector<std::string> clipNames() const;

private:
    Host* host_;
    EffectRole role_;
    std::string context_;
    PropertySet props_;
    std::unique_ptr<ParamSet> params_;
    std::vector<std::unique_ptr<Clip>> clips_;
};

}  // namespace horavex::host
