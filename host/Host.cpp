// The host object: its property set, suite lookup, plug-in binding,
// action dispatch and the descriptors.
#include "host/Host.h"

#include "host/HandleRegistry.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

namespace horavex::host {
namespace {

std::mutex& liveHostsMutex() {
    static std::mutex* const m = new std::mutex;
    return *m;
}

std::vector<Host*>& liveHosts() {
    static std::vector<Host*>* const hosts = new std::vector<Host*>;
    return *hosts;
}

std::atomic<Host*> dispatchingHost{nullptr};

// Restores the previously dispatching host when an action returns, so
// actions sent from inside another action nest correctly.
class DispatchScope {
public:
    explicit DispatchScope(Host* host) : previous_(dispatchingHost.exchange(host)) {}
    ~DispatchScope() { dispatchingHost.store(previous_); }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    Host* previous_;
};

void populateHostProperties(PropertySet& p, const HostConfig& config) {
    p.defineString(kOfxPropType, {kOfxTypeImageEffectHost});
    p.defineString(kOfxPropName, {config.name});
    p.defineString(kOfxPropLabel, {config.name});
    p.defineInt("OfxPropAPIVersion", {1, 4});
    p.defineInt("OfxPropVersion", {1, 0, 0});
    p.defineString("OfxPropVersionLabel", {"1.0.0"});
    p.defineInt("OfxImageEffectHostPropIsBackground", {0});
    p.defineInt("OfxImageEffectPropSupportsOverlays", {0});
    p.defineInt("OfxImageEffectPropSupportsMultiResolution", {1});
    p.defineInt(kOfxImageEffectPropSupportsTiles, {1});
    p.defineInt("OfxImageEffectPropTemporalClipAccess", {0});
    p.defineString(kOfxImageEffectPropSupportedComponents,
                   {kOfxImageComponentRGBA, kOfxImageComponentAlpha});
    p.defineString(kOfxImageEffectPropSupportedContexts,
                   {kOfxImageEffectContextGenerator, kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral});
    p.defineString(kOfxImageEffectPropSupportedPixelDepths, {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat});
    p.defineInt(kOfxImageEffectPropSupportsMultipleClipDepths, {0});
    p.defineInt("OfxImageEffectPropSupportsMultipleClipPARs", {0});
    p.defineInt("OfxImageEffectPropSetableFrameRate", {0});
    p.defineInt("OfxImageEffectPropSetableFielding", {0});
    p.defineInt("OfxImageEffectInstancePropSequentialRender", {0});
    p.defineInt("OfxImageEffectPropRenderQualityDraft", {0});
    p.defineString("OfxImageEffectHostPropNativeOrigin", {"kOfxImageEffectHostPropNativeOriginBottomLeft"});
    p.defineInt("OfxParamHostPropSupportsCustomInteract", {0});
    p.defineInt("OfxParamHostPropSupportsCustomAnimation", {0});
    p.defineInt("OfxParamHostPropSupportsStringAnimation", {0});
    p.defineInt("OfxParamHostPropSupportsBooleanAnimation", {0});
    p.defineInt("OfxParamHostPropSupportsChoiceAnimation", {0});
    p.defineInt("OfxParamHostPropSupportsStrChoice", {0});
    p.defineInt("OfxParamHostPropMaxParameters", {-1});
    p.defineInt("OfxParamHostPropMaxPages", {0});
    p.defineInt("OfxParamHostPropPageRowColumnCount", {0, 0});
}

void populateEffectDescriptor(PropertySet& p, const std::string& filePath) {
    p.defineString(kOfxPropType, {kOfxTypeImageEffect});
    p.defineString(kOfxPropLabel, {""});
    p.defineString("OfxPropShortLabel", {""});
    p.defineString("OfxPropLongLabel", {""});
    p.defineString("OfxPropPluginDescription", {""});
    p.defineString(kOfxImageEffectPluginPropGrouping, {""});
    p.defineString(kOfxPluginPropFilePath, {filePath});
    p.defineString(kOfxImageEffectPropSupportedContexts, {});
    p.defineString(kOfxImageEffectPropSupportedPixelDepths, {});
    p.defineInt(kOfxImageEffectPropSupportsTiles, {1});
    p.defineInt("OfxImageEffectPropSupportsMultiResolution", {1});
    p.defineInt("OfxImageEffectPropTemporalClipAccess", {0});
    p.defineString(kOfxImageEffectPluginRenderThreadSafety, {"OfxImageEffectRenderInstanceSafe"});
    p.defineInt("OfxImageEffectPluginPropHostFrameThreading", {1});
    p.defineInt("OfxImageEffectPluginPropSingleInstance", {0});
    p.defineInt(kOfxImageEffectPropSupportsMultipleClipDepths, {0});
    p.defineInt("OfxImageEffectPropSupportsMultipleClipPARs", {0});
    p.defineInt(kOfxImageEffectPluginPropFieldRenderTwiceAlways, {1});
    p.defineInt("OfxImageEffectInstancePropSequentialRender", {0});
    p.definePointer("OfxImageEffectPluginPropOverlayInteractV1", {nullptr});
}

}  // namespace

Host::Host(HostConfig config)
    : config_(std::move(config)), properties_(kOfxTypeImageEffectHost, false), ofxHost_{nullptr, &fetchSuiteEntry} {
    properties_.setHost(this);
    populateHostProperties(properties_, config_);
    ofxHost_.host = properties_.handle();
    std::lock_guard lock(liveHostsMutex());
    liveHosts().push_back(this);
}

Host::~Host() {
    // Instances belong to their Effect objects; descriptors go with us.
    contextDescriptors_.clear();
    descriptor_.reset();
    std::lock_guard lock(liveHostsMutex());
    auto& hosts = liveHosts();
    hosts.erase(std::remove(hosts.begin(), hosts.end(), this), hosts.end());
    Host* self = this;
    dispatchingHost.compare_exchange_strong(self, nullptr);
}

Host* Host::current() {
    if (Host* h = dispatchingHost.load()) return h;
    std::lock_guard lock(liveHostsMutex());
    return liveHosts().empty() ? nullptr : liveHosts().back();
}

Host* Host::resolve(Host* owner) { return owner != nullptr ? owner : current(); }

OfxStatus Host::record(std::string_view function, std::string_view argument, std::string_view target,
                       OfxStatus status) {
    calls_.record(function, argument, target, status);
    return status;
}

void Host::bind(const OfxPlugin* plugin, std::string filePath, bool sendSetHost) {
    if (plugin == nullptr) throw std::runtime_error("no plug-in to bind");
    if (plugin->pluginApi == nullptr || std::strcmp(plugin->pluginApi, kOfxImageEffectPluginApi) != 0) {
        throw std::runtime_error(std::string("plug-in API '") + (plugin->pluginApi ? plugin->pluginApi : "(null)") +
                                 "' is not '" + kOfxImageEffectPluginApi + "'");
    }
    if (plugin->apiVersion != kOfxImageEffectPluginApiVersion) {
        throw std::runtime_error("plug-in API version " + std::to_string(plugin->apiVersion) + " is not 1");
    }
    if (plugin->setHost == nullptr || plugin->mainEntry == nullptr) {
        throw std::runtime_error("plug-in has no setHost or no mainEntry");
    }
    plugin_ = plugin;
    filePath_ = std::move(filePath);
    contextDescriptors_.clear();
    contextStatuses_.clear();
    describeStatus_.reset();
    descriptor_ = std::make_unique<ImageEffect>(this, EffectRole::Descriptor, "", kOfxTypeImageEffect);
    populateEffectDescriptor(descriptor_->props(), filePath_);
    if (sendSetHost) plugin_->setHost(&ofxHost_);
}

const OfxPlugin* Host::plugin() const { return plugin_; }
OfxHost* Host::ofxHost() { return &ofxHost_; }
PropertySet& Host::properties() { return properties_; }

const void* Host::fetchSuiteEntry(OfxPropertySetHandle host, const char* name, int version) {
    PropertySet* props = PropertySet::fromHandle(host);
    Host* owner = props != nullptr ? props->host() : nullptr;
    if (owner == nullptr || &owner->properties_ != props) {
        if (Host* fallback = current()) fallback->record("fetchSuite", name ? name : "", "", kOfxStatErrBadHandle);
        return nullptr;
    }
    return owner->fetchSuite(name, version);
}

const void* Host::fetchSuite(const char* name, int version) {
    const std::string_view suite = name != nullptr ? name : "";
    const void* result = nullptr;
    if (version == 1 && !faults_.suiteOmitted(suite)) {
        if (suite == kOfxPropertySuite) result = propertySuite();
        else if (suite == kOfxImageEffectSuite) result = imageEffectSuite();
        else if (suite == kOfxParameterSuite) result = parameterSuite();
        else if (suite == kOfxMemorySuite) result = memorySuite();
        else if (suite == kOfxMultiThreadSuite) result = multiThreadSuite();
        else if (suite == kOfxMessageSuite) result = messageSuite();
        else if (suite == kOfxInteractSuite) result = interactSuite();
        else if (suite == kOfxTimeLineSuite) result = timeLineSuite();
    }
    record("fetchSuite", suite, std::to_string(version), result != nullptr ? kOfxStatOK : kOfxStatFailed);
    return result;
}

void Host::setNullFetchSuite(bool on) { ofxHost_.fetchSuite = on ? nullptr : &fetchSuiteEntry; }

OfxStatus Host::callAction(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                           OfxPropertySetHandle outArgs) {
    if (plugin_ == nullptr) throw std::logic_error("no plug-in bound to the host");
    OfxStatus status;
    {
        DispatchScope scope(this);
        status = plugin_->mainEntry(action, handle, inArgs, outArgs);
    }
    std::lock_guard lock(actionsMutex_);
    actions_.push_back(ActionRecord{action != nullptr ? action : "", handle, status});
    return status;
}

HostConfig mltHostConfig() {
    HostConfig config;
    config.name = "MLT";
    config.profile = HostProfile::Mlt;
    return config;
}

OfxStatus Host::load() {
    const OfxStatus status = callAction(kOfxActionLoad, nullptr, nullptr, nullptr);
    if (config_.profile == HostProfile::Mlt && status != kOfxStatOK) {
        throw std::runtime_error("the plug-in answered the load action with status " + std::to_string(status) +
                                 "; MLT drops such a plug-in");
    }
    return status;
}
OfxStatus Host::unload() { return callAction(kOfxActionUnload, nullptr, nullptr, nullptr); }

ImageEffect& Host::descriptor() {
    if (!descriptor_) throw std::logic_error("no plug-in bound to the host");
    return *descriptor_;
}

ImageEffect* Host::descriptor(std::string_view context) {
    auto it = contextDescriptors_.find(context);
    return it == contextDescriptors_.end() ? nullptr : it->second.get();
}

OfxStatus Host::describe() {
    ImageEffect& d = descriptor();
    const OfxStatus status = callAction(kOfxActionDescribe, d.handle(), nullptr, nullptr);
    describeStatus_ = status;
    return status;
}

OfxStatus Host::describeInContext(std::string_view context) {
    ImageEffect& main = descriptor();
    const std::string ctx(context);
    auto d = std::make_unique<ImageEffect>(this, EffectRole::ContextDescriptor, ctx,
                                           std::string(kOfxTypeImageEffect) + ":" + ctx);
    const std::string tag = d->props().tag();
    d->props() = main.props();
    d->props().setTag(tag);
    d->props().clearSetOrder();
    d->props().defineString(kOfxImageEffectPropContext, {ctx});
    ImageEffect& stored = *d;
    contextDescriptors_[ctx] = std::move(d);

    PropertySet in("inArgs:" + std::string(kOfxImageEffectActionDescribeInContext), false);
    in.setHost(this);
    in.defineString(kOfxImageEffectPropContext, {ctx});
    const OfxStatus status = callAction(kOfxImageEffectActionDescribeInContext, stored.handle(), in.handle(), nullptr);
    contextStatuses_[ctx] = status;
    return status;
}

namespace {

bool accepted(OfxStatus s) { return s == kOfxStatOK || s == kOfxStatReplyDefault; }

}  // namespace

std::unique_ptr<Effect> Host::makeEffect(std::string_view context, const EffectConfig& config) {
    if (plugin_ == nullptr) throw std::logic_error("no plug-in bound to the host");
    const OfxStatus described = describeStatus_ ? *describeStatus_ : describe();
    if (!accepted(described)) throw std::runtime_error("describe failed with status " + std::to_string(described));
    auto it = contextStatuses_.find(context);
    const OfxStatus inContext = it != contextStatuses_.end() ? it->second : describeInContext(context);
    if (!accepted(inContext)) {
        throw std::runtime_error("describe in context " + std::string(context) + " failed with status " +
                                 std::to_string(inContext));
    }
    return std::make_unique<Effect>(*this, *descriptor(context), config);
}

std::unique_ptr<Effect> Host::createEffect(std::string_view context, const EffectConfig& config) {
    std::unique_ptr<Effect> effect = makeEffect(context, config);
    const OfxStatus s = effect->create();
    if (!accepted(s)) {
        throw std::runtime_error("create instance failed with status " + std::to_string(s));
    }
    return effect;
}

CallLog& Host::calls() { return calls_; }

std::vector<ActionRecord> Host::actions() const {
    std::lock_guard lock(actionsMutex_);
    return actions_;
}

void Host::clearActions() {
    std::lock_guard lock(actionsMutex_);
    actions_.clear();
}

void Host::clearLogs() {
    calls_.clear();
    clearActions();
    messages_.clear();
}

Faults& Host::faults() { return faults_; }
AbortControl& Host::abortControl() { return abort_; }
MessageLog& Host::messages() { return messages_; }
ImageTracker& Host::images() { return images_; }
MemoryTracker& Host::memory() { return memory_; }
TimeLine& Host::timeline() { return timeline_; }
const HostConfig& Host::config() const { return config_; }

ThreadPool& Host::threadPool() { return threadPool_; }

}  // namespace horavex::host
