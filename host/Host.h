// Horavex's in-tree OFX host: loads a plug-in, hands it the OFX suites and
// drives it through its actions exactly as a real host would, while
// recording what the plug-in does and letting tests inject faults. Used by
// the tests, the command-line renderer and the benchmarks.
//
// Typical use (see tests/support/HostBuilders.h for one-call helpers):
//
//   using namespace horavex::host;
//   PluginLibrary library = PluginLibrary::open("build/Horavex.ofx.bundle");
//   Host host;
//   host.bind(library.plugin(0), library.bundlePath());
//   host.load();                                    // OfxActionLoad
//   host.describe();                                // OfxActionDescribe
//   std::unique_ptr<Effect> effect = host.createEffect(kOfxImageEffectContextFilter);
//   effect->clip("Source").attachImage({{0, 0, 1920, 1080}, kOfxBitDepthByte});
//   auto out = effect->clip("Output").attachImage({{0, 0, 1920, 1080}, kOfxBitDepthByte});
//   effect->param("ClockSize").setDouble(0.35);
//   OfxStatus s = effect->render(0.0, {0, 0, 1920, 1080});
//   OfxRGBAColourB centre = out->read<OfxRGBAColourB>(960, 540);
//
// Long runs (benchmarks, the renderer): the call log keeps every suite call
// (a frame of a real plug-in makes over a thousand), so switch it off with
// host.calls().setEnabled(false); clip requests grow by one per image
// fetch until Clip::clearRequests; released image records are capped.
//
// Lifetimes: the PluginLibrary must outlive the Host bound to its plug-in,
// and the Host must outlive its Effects. Suites, property sets and other
// handles validate every handle the plug-in passes: null, stale, released or
// wrongly typed handles are answered with kOfxStatErrBadHandle (and logged),
// never dereferenced.
#pragma once

#include "host/CallLog.h"
#include "host/Clip.h"
#include "host/Effect.h"
#include "host/Faults.h"
#include "host/HostServices.h"
#include "host/Image.h"
#include "host/ImageEffect.h"
#include "host/Param.h"
#include "host/PluginLibrary.h"
#include "host/PropertySet.h"
#include "host/Suites.h"
#include "host/ThreadPool.h"
#include "ofxapi/OfxApi.h"
#include "ofxapi/OfxNames.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

// The ways of known hosts the in-tree host can imitate.
enum class HostProfile {
    // As the OFX programming guide describes a host: normalised defaults of
    // spatial parameters are turned into canonical coordinates and spatial
    // values are handed over in them; the effect instance carries the frame
    // rate and the project's size, offset, extent and pixel aspect ratio; any
    // reply to the load action is accepted.
    Standard,
    // MLT 7.41's OpenFX module (melt, Shotcut, Kdenlive): spatial values are
    // the raw fractions given (defaults included); the effect instance and its
    // clips carry no frame rate and no project properties; a load reply other
    // than kOfxStatOK drops the plug-in (Host::load throws); every rendered
    // frame gets a new instance (created before and destroyed after it), as
    // in MLT's frame-threaded mode.
    Mlt,
};

struct HostConfig {
    // "OfxPropName" and "OfxPropLabel" of the host property set.
    std::string name = "Horavex in-tree host";
    HostProfile profile = HostProfile::Standard;
    // multiThread() runs its function on real threads when true, else
    // serially on the calling thread (still as "spawned" threads 0..n-1).
    bool threaded = false;
    // multiThreadNumCPUs(); 0 means the machine's count.
    unsigned int cpuCount = 0;
    // Ignores "OfxParamPropDefaultCoordinateSystem": spatial parameters
    // declared with normalised defaults start at those raw fractions, while
    // every value set later is canonical, as some hosts do.
    bool rawNormalisedDefaults = false;
};

// A host that imitates MLT's OpenFX module, named "MLT" as that module is.
HostConfig mltHostConfig();

// One action sent to the plug-in's main entry.
struct ActionRecord {
    std::string action;
    const void* handle = nullptr;
    OfxStatus status = kOfxStatOK;
};

class Host {
public:
    explicit Host(HostConfig config = {});
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host();

    // The host that suite calls on handles without an owner are logged to:
    // the host currently sending an action, else the most recently created
    // host still alive; null when there is none.
    static Host* current();

    // --- plug-in binding -------------------------------------------------
    // Checks the plug-in structure (non-null, "OfxImageEffectPluginAPI",
    // version 1, setHost and mainEntry present; std::runtime_error
    // otherwise), calls its setHost with this host and makes its effect
    // descriptor. `filePath` becomes "OfxPluginPropFilePath". With
    // `sendSetHost` false the plug-in never learns of the host (a fault).
    void bind(const OfxPlugin* plugin, std::string filePath = {}, bool sendSetHost = true);
    const OfxPlugin* plugin() const;
    OfxHost* ofxHost();
    PropertySet& properties();

    // The suite a plug-in gets for (name, version); null for unknown or
    // omitted suites. Logged as "fetchSuite" like the plug-in's own calls.
    const void* fetchSuite(const char* name, int version);
    // Fault: the OfxHost structure's fetchSuite member becomes null (or is
    // restored).
    void setNullFetchSuite(bool on);

    // --- actions ---------------------------------------------------------
    // Sends any action through the plug-in's main entry, as is (null or
    // malformed argument sets included). Throws std::logic_error when no
    // plug-in is bound.
    OfxStatus callAction(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                         OfxPropertySetHandle outArgs);
    // In the MLT profile a reply other than kOfxStatOK throws
    // std::runtime_error, as MLT then drops the plug-in.
    OfxStatus load();
    OfxStatus unload();
    // OfxActionDescribe on the effect descriptor.
    OfxStatus describe();
    // OfxImageEffectActionDescribeInContext on a fresh descriptor of that
    // context (a copy of the effect descriptor's properties), kept even when
    // the action fails so tests can see what was declared.
    OfxStatus describeInContext(std::string_view context);
    // Throws std::logic_error when no plug-in is bound.
    ImageEffect& descriptor();
    // Null when that context has not been described.
    ImageEffect* descriptor(std::string_view context);

    // Builds an instance of the context, describing first when describe or
    // describe-in-context have not run; sends no action. Throws
    // std::runtime_error when either description failed, now or before.
    std::unique_ptr<Effect> makeEffect(std::string_view context, const EffectConfig& config = {});
    // makeEffect then Effect::create; std::runtime_error if create fails.
    std::unique_ptr<Effect> createEffect(std::string_view context, const EffectConfig& config = {});

    // --- observation and control ------------------------------------------
    CallLog& calls();
    std::vector<ActionRecord> actions() const;
    void clearActions();
    // Clears the call log, the actions and the messages.
    void clearLogs();
    Faults& faults();
    AbortControl& abortControl();
    MessageLog& messages();
    ImageTracker& images();
    MemoryTracker& memory();
    TimeLine& timeline();
    const HostConfig& config() const;
    // The workers of the multi-thread suite.
    ThreadPool& threadPool();

    // Records a suite call in the call log and returns `status` (for the
    // suite implementations).
    OfxStatus record(std::string_view function, std::string_view argument, std::string_view target,
                     OfxStatus status);
    // `owner` when not null, else current(); for the suite implementations.
    static Host* resolve(Host* owner);

private:
    static const void* fetchSuiteEntry(OfxPropertySetHandle host, const char* name, int version);

    HostConfig config_;
    PropertySet properties_;
    OfxHost ofxHost_;
    const OfxPlugin* plugin_ = nullptr;
    std::string filePath_;
    std::unique_ptr<ImageEffect> descriptor_;
    std::map<std::string, std::unique_ptr<ImageEffect>, std::less<>> contextDescriptors_;
    std::map<std::string, OfxStatus, std::less<>> contextStatuses_;
    std::optional<OfxStatus> describeStatus_;

    CallLog calls_;
    mutable std::mutex actionsMutex_;
    std::vector<ActionRecord> actions_;
    Faults faults_;
    AbortControl abort_;
    MessageLog messages_;
    ImageTracker images_;
    MemoryTracker memory_;
    TimeLine timeline_;
    // Last, so that it goes first: no worker outlives what it may touch.
    ThreadPool threadPool_;
};

}  // namespace horavex::host
