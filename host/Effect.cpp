// Building an effect instance from its context descriptor and sending it the
// instance, layout, render and change actions.
#include "host/Effect.h"

#include "host/Host.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace horavex::host {
namespace {

constexpr const char* kProjectPixelAspectRatio = "OfxImageEffectPropPixelAspectRatio";
constexpr const char* kProjectSize = "OfxImageEffectPropProjectSize";
constexpr const char* kProjectOffset = "OfxImageEffectPropProjectOffset";
constexpr const char* kProjectExtent = "OfxImageEffectPropProjectExtent";

std::string choose(const std::vector<std::string>& offered, const std::string& preferred) {
    if (offered.empty() || std::find(offered.begin(), offered.end(), preferred) != offered.end()) return preferred;
    return offered.front();
}

std::vector<std::string> stringsOrEmpty(const PropertySet& props, const char* name) {
    if (props.type(name) != PropertyType::String) return {};
    return props.getStrings(name);
}

bool accepted(OfxStatus s) { return s == kOfxStatOK || s == kOfxStatReplyDefault; }

}  // namespace

Effect::Effect(Host& host, const ImageEffect& descriptor, const EffectConfig& config) : host_(host), config_(config) {
    const std::string& context = descriptor.context();
    instance_ = std::make_unique<ImageEffect>(&host, EffectRole::Instance, context,
                                              std::string(kOfxTypeImageEffectInstance) + ":" + context);
    PropertySet& props = instance_->props();
    const std::string tag = props.tag();
    props = descriptor.props();
    props.setTag(tag);
    props.clearSetOrder();
    props.defineString(kOfxPropType, {kOfxTypeImageEffectInstance});
    props.defineString(kOfxImageEffectPropContext, {context});
    if (!imitatesMlt()) {
        props.defineDouble(kOfxImageEffectPropFrameRate, {config.frameRate});
        props.defineDouble(kProjectPixelAspectRatio, {config.pixelAspectRatio});
        props.defineDouble(kProjectSize, {config.projectSize.x, config.projectSize.y});
        props.defineDouble(kProjectOffset, {config.projectOffset.x, config.projectOffset.y});
        props.defineDouble(kProjectExtent, {config.projectOffset.x + config.projectSize.x,
                                            config.projectOffset.y + config.projectSize.y});
    }
    props.defineDouble("OfxImageEffectInstancePropEffectDuration", {config.duration});
    props.defineInt("OfxPropIsInteractive", {config.interactive ? 1 : 0});
    props.definePointer(kOfxPropInstanceData, {nullptr});
    props.definePointer("OfxImageEffectPropPluginHandle", {const_cast<OfxPlugin*>(host.plugin())});

    instance_->setParams(std::make_unique<ParamSet>(&host, descriptor.params(), "OfxParamSet:" + tag));

    const std::string depth =
        choose(stringsOrEmpty(descriptor.props(), kOfxImageEffectPropSupportedPixelDepths), kOfxBitDepthByte);
    const OfxRectD project{config.projectOffset.x, config.projectOffset.y,
                           config.projectOffset.x + config.projectSize.x, config.projectOffset.y + config.projectSize.y};
    for (const Clip* d : descriptor.clips()) {
        const std::string components =
            choose(stringsOrEmpty(d->props(), kOfxImageEffectPropSupportedComponents), kOfxImageComponentRGBA);
        auto clip = std::make_unique<Clip>(&host, *d, depth, components);
        clip->setFrameRate(config.frameRate);
        if (imitatesMlt()) {
            clip->props().remove(kOfxImageEffectPropFrameRate);
            clip->props().remove("OfxImageEffectPropUnmappedFrameRate");
        }
        clip->setProjectRegion(project);
        instance_->addClip(std::move(clip));
    }
    if (!imitatesMlt() && !host_.config().rawNormalisedDefaults) denormaliseDefaults();
}

bool Effect::imitatesMlt() const { return host_.config().profile == HostProfile::Mlt; }

OfxRectD Effect::projectRegion() const {
    return OfxRectD{config_.projectOffset.x, config_.projectOffset.y, config_.projectOffset.x + config_.projectSize.x,
                    config_.projectOffset.y + config_.projectSize.y};
}

// Spatial parameters whose defaults the plug-in gave as fractions start at
// those fractions of the project, in canonical coordinates: sizes scale by the
// project size, absolute positions move by its offset too.
void Effect::setProjectRegion(OfxRectD region) {
    const EffectConfig before = config_;
    config_.projectOffset = {region.x1, region.y1};
    config_.projectSize = {region.x2 - region.x1, region.y2 - region.y1};
    if (!imitatesMlt()) {
        PropertySet& props = instance_->props();
        props.defineDouble(kProjectSize, {config_.projectSize.x, config_.projectSize.y});
        props.defineDouble(kProjectOffset, {config_.projectOffset.x, config_.projectOffset.y});
        props.defineDouble(kProjectExtent, {region.x2, region.y2});
    }
    for (Clip* clip : instance_->clips()) clip->setProjectRegion(region);
    if (!imitatesMlt() && !host_.config().rawNormalisedDefaults) denormaliseDefaults(&before);
}

void Effect::denormaliseDefaults(const EffectConfig* onlyIfAt) {
    for (Param* p : instance_->params().list()) {
        const PropertySet& props = p->props();
        if (p->info().kind != ParamValueKind::Double || !props.has(kOfxParamPropDefaultCoordinateSystem) ||
            props.getString(kOfxParamPropDefaultCoordinateSystem) != kOfxParamCoordinatesNormalised ||
            !props.has(kOfxParamPropDoubleType)) {
            continue;
        }
        const std::string doubleType = props.getString(kOfxParamPropDoubleType);
        const bool absolute = doubleType.find("Absolute") != std::string::npos;
        const std::vector<double> defaults = props.getDoubles(kOfxParamPropDefault);
        auto inProject = [&](const EffectConfig& c) {
            std::vector<double> values = defaults;
            const bool x = doubleType.find("XY") != std::string::npos || doubleType.find("TypeX") != std::string::npos;
            const bool y = doubleType.find("XY") != std::string::npos || doubleType.find("TypeY") != std::string::npos;
            if (x && !values.empty()) {
                values[0] = values[0] * c.projectSize.x + (absolute ? c.projectOffset.x : 0.0);
            }
            if (y && values.size() == (x ? 2u : 1u)) {
                double& v = values.back();
                v = v * c.projectSize.y + (absolute ? c.projectOffset.y : 0.0);
            }
            return values;
        };
        const bool known = doubleType == "OfxParamDoubleTypeXY" || doubleType == "OfxParamDoubleTypeXYAbsolute" ||
                           doubleType == "OfxParamDoubleTypeX" || doubleType == "OfxParamDoubleTypeXAbsolute" ||
                           doubleType == "OfxParamDoubleTypeY" || doubleType == "OfxParamDoubleTypeYAbsolute";
        const bool xy = doubleType.find("XY") != std::string::npos;
        if (!known || defaults.size() != (xy ? 2u : 1u)) continue;
        if (onlyIfAt != nullptr && p->numbersAt(0.0) != inProject(*onlyIfAt)) continue;
        p->setDoubleN(inProject(config_));
    }
}

void Effect::setSpatialFraction(std::string_view name, double x, double y) {
    if (imitatesMlt()) {
        param(name).setDoubleN({x, y});
        return;
    }
    param(name).setDoubleN({x * config_.projectSize.x + config_.projectOffset.x,
                            y * config_.projectSize.y + config_.projectOffset.y});
}

Effect::~Effect() {
    if (created_) destroy();
}

Host& Effect::host() const { return host_; }
ImageEffect& Effect::instance() { return *instance_; }
OfxImageEffectHandle Effect::handle() const { return instance_->handle(); }
const std::string& Effect::context() const { return instance_->context(); }
PropertySet& Effect::properties() { return instance_->props(); }
ParamSet& Effect::params() { return instance_->params(); }
Param& Effect::param(std::string_view name) { return instance_->params().get(name); }
Clip& Effect::clip(std::string_view name) { return instance_->clip(name); }
Clip* Effect::findClip(std::string_view name) { return instance_->findClip(name); }
std::vector<Clip*> Effect::clips() { return instance_->clips(); }

void* Effect::instanceData() const {
    void* data = nullptr;
    instance_->props().queryPointer(kOfxPropInstanceData, 0, &data);
    return data;
}

OfxStatus Effect::create() {
    const OfxStatus s = callAction(kOfxActionCreateInstance, nullptr, nullptr);
    if (accepted(s)) created_ = true;
    return s;
}

OfxStatus Effect::destroy() {
    if (!created_) return kOfxStatFailed;
    created_ = false;
    return callAction(kOfxActionDestroyInstance, nullptr, nullptr);
}

bool Effect::created() const { return created_; }

OfxStatus Effect::callAction(const char* action, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
    return host_.callAction(action, handle(), inArgs, outArgs);
}

PropertySet Effect::makeArgs(const char* action, bool in) const {
    // In-arguments are the host's; out-arguments accept whatever the
    // plug-in writes so tests can see it.
    PropertySet args(std::string(in ? "inArgs:" : "outArgs:") + action, !in);
    args.setHost(&host_);
    return args;
}

OfxStatus Effect::render(const RenderArgs& a) {
    if (imitatesMlt()) {
        if (created_) destroy();
        const OfxStatus created = create();
        if (!accepted(created)) return created;
    }
    PropertySet in = makeArgs(kOfxImageEffectActionRender, true);
    in.defineDouble(kOfxPropTime, {a.time});
    in.defineString(kOfxImageEffectPropFieldToRender, {a.field});
    in.defineInt(kOfxImageEffectPropRenderWindow, {a.window.x1, a.window.y1, a.window.x2, a.window.y2});
    in.defineDouble(kOfxImageEffectPropRenderScale, {a.renderScale.x, a.renderScale.y});
    in.defineInt("OfxImageEffectPropSequentialRenderStatus", {a.sequentialStatus});
    in.defineInt("OfxImageEffectPropInteractiveRenderStatus", {a.interactiveStatus});
    in.defineInt("OfxImageEffectPropRenderQualityDraft", {a.draft});
    return callAction(kOfxImageEffectActionRender, in.handle(), nullptr);
}

OfxStatus Effect::render(double time, OfxRectI window) {
    RenderArgs a;
    a.time = time;
    a.window = window;
    return render(a);
}

namespace {

void defineSequenceArgs(PropertySet& in, double first, double last, double step, bool interactive, OfxPointD scale) {
    in.defineDouble("OfxImageEffectPropFrameRange", {first, last});
    in.defineDouble("OfxImageEffectPropFrameStep", {step});
    in.defineInt("OfxPropIsInteractive", {interactive ? 1 : 0});
    in.defineDouble(kOfxImageEffectPropRenderScale, {scale.x, scale.y});
    in.defineInt("OfxImageEffectPropSequentialRenderStatus", {0});
    in.defineInt("OfxImageEffectPropInteractiveRenderStatus", {interactive ? 1 : 0});
}

}  // namespace

OfxStatus Effect::beginSequenceRender(double first, double last, double step, bool interactive, OfxPointD scale) {
    PropertySet in = makeArgs(kOfxImageEffectActionBeginSequenceRender, true);
    defineSequenceArgs(in, first, last, step, interactive, scale);
    return callAction(kOfxImageEffectActionBeginSequenceRender, in.handle(), nullptr);
}

OfxStatus Effect::endSequenceRender(double first, double last, double step, bool interactive, OfxPointD scale) {
    PropertySet in = makeArgs(kOfxImageEffectActionEndSequenceRender, true);
    defineSequenceArgs(in, first, last, step, interactive, scale);
    return callAction(kOfxImageEffectActionEndSequenceRender, in.handle(), nullptr);
}

OfxStatus Effect::renderSequence(double first, double last, OfxRectI window, double step) {
    if (!(step > 0.0) || !std::isfinite(first) || !std::isfinite(last)) {
        throw std::invalid_argument("a frame sequence needs finite ends and a positive step");
    }
    const OfxStatus begun = beginSequenceRender(first, last, step);
    if (!accepted(begun)) return begun;
    OfxStatus result = kOfxStatOK;
    // Counting frames instead of accumulating the step keeps every frame
    // time exact.
    for (long long i = 0;; ++i) {
        const double t = first + static_cast<double>(i) * step;
        if (t > last) break;
        const OfxStatus s = render(t, window);
        if (s != kOfxStatOK) {
            result = s;
            break;
        }
    }
    endSequenceRender(first, last, step);
    return result;
}

OfxRectD Effect::defaultRegionOfDefinition(double time) const {
    const Clip* source = instance_->findClip(kOfxImageEffectSimpleSourceClipName);
    if (context() != kOfxImageEffectContextGenerator && source != nullptr) return source->regionOfDefinition(time);
    return projectRegion();
}

RegionResult Effect::getRegionOfDefinition(double time, OfxPointD scale) {
    PropertySet in = makeArgs(kOfxImageEffectActionGetRegionOfDefinition, true);
    in.defineDouble(kOfxPropTime, {time});
    in.defineDouble(kOfxImageEffectPropRenderScale, {scale.x, scale.y});
    RegionResult result;
    result.outArgs = makeArgs(kOfxImageEffectActionGetRegionOfDefinition, false);
    const OfxRectD fallback = defaultRegionOfDefinition(time);
    result.outArgs.defineDouble(kOfxImageEffectPropRegionOfDefinition, {fallback.x1, fallback.y1, fallback.x2, fallback.y2});
    result.status = callAction(kOfxImageEffectActionGetRegionOfDefinition, in.handle(), result.outArgs.handle());
    if (result.status == kOfxStatReplyDefault) {
        result.rect = fallback;
    } else {
        double v[4] = {0, 0, 0, 0};
        result.outArgs.queryDoubleN(kOfxImageEffectPropRegionOfDefinition, 4, v);
        result.rect = OfxRectD{v[0], v[1], v[2], v[3]};
    }
    return result;
}

ActionResult Effect::getRegionsOfInterest(double time, OfxRectD region, OfxPointD scale) {
    PropertySet in = makeArgs(kOfxImageEffectActionGetRegionsOfInterest, true);
    in.defineDouble(kOfxPropTime, {time});
    in.defineDouble(kOfxImageEffectPropRenderScale, {scale.x, scale.y});
    in.defineDouble(kOfxImageEffectPropRegionOfInterest, {region.x1, region.y1, region.x2, region.y2});
    ActionResult result;
    result.outArgs = makeArgs(kOfxImageEffectActionGetRegionsOfInterest, false);
    for (const Clip* c : instance_->clips()) {
        if (c->name() == kOfxImageEffectOutputClipName) continue;
        result.outArgs.defineDouble("OfxImageClipPropRoI_" + c->name(), {region.x1, region.y1, region.x2, region.y2});
    }
    result.status = callAction(kOfxImageEffectActionGetRegionsOfInterest, in.handle(), result.outArgs.handle());
    return result;
}

ActionResult Effect::getClipPreferences() {
    ActionResult result;
    PropertySet& out = result.outArgs;
    out = makeArgs(kOfxImageEffectActionGetClipPreferences, false);
    out.defineDouble(kOfxImageEffectPropFrameRate, {config_.frameRate});
    out.defineString("OfxImageClipPropFieldOrder", {kOfxImageFieldNone});
    const Clip* source = instance_->findClip(kOfxImageEffectSimpleSourceClipName);
    out.defineString(kOfxImageEffectPropPreMultiplication,
                     {source != nullptr ? source->props().getString(kOfxImageEffectPropPreMultiplication)
                                        : std::string(kOfxImagePreMultiplied)});
    out.defineInt("OfxImageClipPropContinuousSamples", {0});
    out.defineInt(kOfxImageEffectFrameVarying, {0});
    for (const Clip* c : instance_->clips()) {
        const PropertySet& cp = c->props();
        out.defineString("OfxImageClipPropComponents_" + c->name(), {cp.getString(kOfxImageEffectPropComponents)});
        out.defineString("OfxImageClipPropDepth_" + c->name(), {cp.getString(kOfxImageEffectPropPixelDepth)});
        out.defineDouble("OfxImageClipPropPAR_" + c->name(), {cp.getDouble(kOfxImagePropPixelAspectRatio)});
    }
    result.status = callAction(kOfxImageEffectActionGetClipPreferences, nullptr, out.handle());
    return result;
}

ActionResult Effect::getTimeDomain() {
    ActionResult result;
    result.outArgs = makeArgs("OfxImageEffectActionGetTimeDomain", false);
    const double duration = instance_->props().getDouble("OfxImageEffectInstancePropEffectDuration");
    result.outArgs.defineDouble("OfxImageEffectPropFrameRange", {0.0, duration});
    result.status = callAction("OfxImageEffectActionGetTimeDomain", nullptr, result.outArgs.handle());
    return result;
}

IdentityResult Effect::isIdentity(const RenderArgs& a) {
    PropertySet in = makeArgs(kOfxImageEffectActionIsIdentity, true);
    in.defineDouble(kOfxPropTime, {a.time});
    in.defineString(kOfxImageEffectPropFieldToRender, {a.field});
    in.defineInt(kOfxImageEffectPropRenderWindow, {a.window.x1, a.window.y1, a.window.x2, a.window.y2});
    in.defineDouble(kOfxImageEffectPropRenderScale, {a.renderScale.x, a.renderScale.y});
    IdentityResult result;
    result.outArgs = makeArgs(kOfxImageEffectActionIsIdentity, false);
    result.outArgs.defineString(kOfxPropName, {""});
    result.outArgs.defineDouble(kOfxPropTime, {a.time});
    result.status = callAction(kOfxImageEffectActionIsIdentity, in.handle(), result.outArgs.handle());
    char* clip = nullptr;
    if (result.outArgs.queryString(kOfxPropName, 0, &clip) == kOfxStatOK) result.clip = clip;
    result.outArgs.queryDouble(kOfxPropTime, 0, &result.time);
    return result;
}

OfxStatus Effect::instanceChanged(std::string_view type, std::string_view name, std::string_view reason, double time,
                                  OfxPointD scale) {
    PropertySet bracket = makeArgs(kOfxActionBeginInstanceChanged, true);
    bracket.defineString(kOfxPropChangeReason, {std::string(reason)});
    callAction(kOfxActionBeginInstanceChanged, bracket.handle(), nullptr);

    PropertySet in = makeArgs(kOfxActionInstanceChanged, true);
    in.defineString(kOfxPropType, {std::string(type)});
    in.defineString(kOfxPropName, {std::string(name)});
    in.defineString(kOfxPropChangeReason, {std::string(reason)});
    in.defineDouble(kOfxPropTime, {time});
    in.defineDouble(kOfxImageEffectPropRenderScale, {scale.x, scale.y});
    const OfxStatus status = callAction(kOfxActionInstanceChanged, in.handle(), nullptr);

    PropertySet endBracket = makeArgs(kOfxActionEndInstanceChanged, true);
    endBracket.defineString(kOfxPropChangeReason, {std::string(reason)});
    callAction(kOfxActionEndInstanceChanged, endBracket.handle(), nullptr);
    return status;
}

OfxStatus Effect::paramChanged(std::string_view name, std::string_view reason, double time) {
    return instanceChanged(kOfxTypeParameter, name, reason, time);
}

OfxStatus Effect::purgeCaches() { return callAction(kOfxActionPurgeCaches, nullptr, nullptr); }
OfxStatus Effect::syncPrivateData() { return callAction("OfxActionSyncPrivateData", nullptr, nullptr); }

}  // namespace horavex::host
