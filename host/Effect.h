// An effect instance driven like a real OFX host drives one: built from the
// plug-in's descriptor of its context, created and destroyed with the
// instance actions, and sent layout, render and change actions with
// properly built argument property sets.
#pragma once

#include "host/Clip.h"
#include "host/ImageEffect.h"
#include "host/Param.h"
#include "host/PropertySet.h"
#include "ofxapi/OfxApi.h"
#include "ofxapi/OfxNames.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

class Host;

// Values of the instance's effect properties (published on the instance by a
// standard host only; see HostProfile).
struct EffectConfig {
    double frameRate = 25.0;
    // "OfxImageEffectPropPixelAspectRatio", the project's.
    double pixelAspectRatio = 1.0;
    OfxPointD projectSize{1920.0, 1080.0};
    OfxPointD projectOffset{0.0, 0.0};
    double duration = 100.0;
    bool interactive = false;
    // attachFrame (tests/support) makes the project the attached frame's
    // region; false keeps the project given here.
    bool projectFollowsFrame = true;
};

struct RenderArgs {
    double time = 0.0;
    OfxRectI window{0, 0, 0, 0};
    std::string field = kOfxImageFieldNone;
    OfxPointD renderScale{1.0, 1.0};
    int sequentialStatus = 0;
    int interactiveStatus = 0;
    int draft = 0;
};

// An action's status and its out-argument set as the plug-in left it.
struct ActionResult {
    OfxStatus status = kOfxStatOK;
    PropertySet outArgs;
};

struct RegionResult {
    OfxStatus status = kOfxStatOK;
    // The plug-in's answer when it returned kOfxStatOK; the host's default
    // (Effect::defaultRegionOfDefinition) when it left the answer to the
    // host; whatever the out set holds otherwise.
    OfxRectD rect{0, 0, 0, 0};
    PropertySet outArgs;
};

struct IdentityResult {
    OfxStatus status = kOfxStatOK;
    // "OfxPropName" and "OfxPropTime" of the out set.
    std::string clip;
    double time = 0.0;
    PropertySet outArgs;
};

class Effect {
public:
    // Builds the instance from `contextDescriptor` (Host::makeEffect is the
    // usual way): effect properties, clips and parameters at their
    // defaults. Sends no action.
    Effect(Host& host, const ImageEffect& contextDescriptor, const EffectConfig& config = {});
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;
    // Sends OfxActionDestroyInstance when the instance was created and not
    // yet destroyed.
    ~Effect();

    Host& host() const;
    ImageEffect& instance();
    OfxImageEffectHandle handle() const;
    const std::string& context() const;
    PropertySet& properties();
    ParamSet& params();
    // Both throw std::out_of_range for an unknown name.
    Param& param(std::string_view name);
    Clip& clip(std::string_view name);
    Clip* findClip(std::string_view name);
    std::vector<Clip*> clips();
    // "OfxPropInstanceData" as the plug-in left it.
    void* instanceData() const;

    // Sets a 2-D spatial parameter from a fraction of the project (x right,
    // y up) the way the host's user interface would: canonical coordinates
    // (fraction * project size + project offset) in a standard host, the raw
    // fraction in the MLT profile.
    void setSpatialFraction(std::string_view name, double x, double y);
    // The project rectangle the host works with, canonical coordinates.
    OfxRectD projectRegion() const;
    const EffectConfig& config() const { return config_; }
    // Moves the project to `region` (canonical coordinates): the effect's
    // project properties and its clips' project region follow, and spatial
    // parameters still at their defaults move with it, as a host's would
    // when its project format changes.
    void setProjectRegion(OfxRectD region);

    OfxStatus create();
    OfxStatus destroy();
    bool created() const;

    // Any action on this instance, as is.
    OfxStatus callAction(const char* action, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);

    // In the MLT profile the instance is destroyed and created again before
    // every render, as a new instance per frame would be.
    OfxStatus render(const RenderArgs& args);
    OfxStatus render(double time, OfxRectI window);
    // Render each frame of [first, last] by `step`, bracketed by the begin
    // and end sequence actions; stops at the first failing render and
    // returns its status.
    OfxStatus renderSequence(double first, double last, OfxRectI window, double step = 1.0);
    OfxStatus beginSequenceRender(double first, double last, double step = 1.0, bool interactive = false,
                                  OfxPointD renderScale = {1.0, 1.0});
    OfxStatus endSequenceRender(double first, double last, double step = 1.0, bool interactive = false,
                                OfxPointD renderScale = {1.0, 1.0});

    RegionResult getRegionOfDefinition(double time, OfxPointD renderScale = {1.0, 1.0});
    ActionResult getRegionsOfInterest(double time, OfxRectD region, OfxPointD renderScale = {1.0, 1.0});
    ActionResult getClipPreferences();
    ActionResult getTimeDomain();
    IdentityResult isIdentity(const RenderArgs& args);
    // Sent between OfxActionBeginInstanceChanged and
    // OfxActionEndInstanceChanged; returns the instance-changed status.
    OfxStatus instanceChanged(std::string_view type, std::string_view name, std::string_view reason, double time,
                              OfxPointD renderScale = {1.0, 1.0});
    // instanceChanged for a parameter ("OfxTypeParameter").
    OfxStatus paramChanged(std::string_view name, std::string_view reason = kOfxChangeUserEdited,
                           double time = 0.0);
    OfxStatus purgeCaches();
    OfxStatus syncPrivateData();

    // What a host assumes when the plug-in leaves the region of definition
    // to it: the project extent in the generator context, the "Source"
    // clip's region otherwise.
    OfxRectD defaultRegionOfDefinition(double time) const;

private:
    PropertySet makeArgs(const char* action, bool in) const;
    bool imitatesMlt() const;
    // Spatial parameters with normalised defaults start at those fractions of
    // the project. With `onlyIfAt`, only those still at their defaults in that
    // (earlier) project move.
    void denormaliseDefaults(const EffectConfig* onlyIfAt = nullptr);

    Host& host_;
    EffectConfig config_;
    std::unique_ptr<ImageEffect> instance_;
    bool created_ = false;
};

}  // namespace horavex::host
