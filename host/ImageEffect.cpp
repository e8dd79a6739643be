// Effect descriptors and instances as plain containers of properties,
// parameters and clips.
#include "host/ImageEffect.h"

#include "host/HandleRegistry.h"

#include <stdexcept>

namespace horavex::host {

ImageEffect::ImageEffect(Host* host, EffectRole role, std::string context, std::string tag)
    : host_(host),
      role_(role),
      context_(std::move(context)),
      props_(tag),
      params_(std::make_unique<ParamSet>(host, role != EffectRole::Instance, "OfxParamSet:" + tag)) {
    props_.setHost(host);
    detail::registerHandle(this, HandleKind::ImageEffect, host);
}

ImageEffect::~ImageEffect() { detail::unregisterHandle(this); }

ImageEffect* ImageEffect::fromHandle(OfxImageEffectHandle handle) {
    if (!detail::isLiveHandle(handle, HandleKind::ImageEffect)) return nullptr;
    return reinterpret_cast<ImageEffect*>(handle);
}

OfxImageEffectHandle ImageEffect::handle() const {
    return reinterpret_cast<OfxImageEffectHandle>(const_cast<ImageEffect*>(this));
}

Host* ImageEffect::host() const { return host_; }
EffectRole ImageEffect::role() const { return role_; }
bool ImageEffect::isInstance() const { return role_ == EffectRole::Instance; }
const std::string& ImageEffect::context() const { return context_; }
PropertySet& ImageEffect::props() { return props_; }
const PropertySet& ImageEffect::props() const { return props_; }
ParamSet& ImageEffect::params() { return *params_; }
const ParamSet& ImageEffect::params() const { return *params_; }
void ImageEffect::setParams(std::unique_ptr<ParamSet> params) { params_ = std::move(params); }

Clip& ImageEffect::defineClip(std::string_view name) {
    if (findClip(name) != nullptr) throw std::invalid_argument("clip " + std::string(name) + " exists");
    clips_.push_back(std::make_unique<Clip>(host_, name));
    return *clips_.back();
}

void ImageEffect::addClip(std::unique_ptr<Clip> clip) { clips_.push_back(std::move(clip)); }

Clip* ImageEffect::findClip(std::string_view name) const {
    for (const auto& c : clips_) {
        if (c->name() == name) return c.get();
    }
    return nullptr;
}

Clip& ImageEffect::clip(std::string_view name) const {
    Clip* c = findClip(name);
    if (c == nullptr) throw std::out_of_range("no clip " + std::string(name));
    return *c;
}

std::vector<Clip*> ImageEffect::clips() const {
    std::vector<Clip*> result;
    for (const auto& c : clips_) result.push_back(c.get());
    return result;
}

std::vector<std::string> ImageEffect::clipNames() const {
    std::vector<std::string> result;
    for (const auto& c : clips_) result.push_back(c->name());
    return result;
}

}  // namespace horavex::host
