#include "adapter/HostSuites.h"

#include "ofxapi/OfxNames.h"

namespace horavex {

HostSuites& hostSuites() {
    static HostSuites suites;
    return suites;
}

void setHost(OfxHost* host) {
    hostSuites().host = host;
}

namespace {

template <typename Suite>
const Suite* fetch(const OfxHost& host, const char* name) {
    return static_cast<const Suite*>(host.fetchSuite(host.host, name, 1));
}

}  // namespace

OfxStatus fetchHostSuites() {
    HostSuites& suites = hostSuites();
    // A host structure without its fetch function cannot give us anything.
    if (suites.host == nullptr || suites.host->fetchSuite == nullptr) {
        return kOfxStatErrMissingHostFeature;
    }
    const OfxHost& host = *suites.host;
    suites.imageEffectSuite = fetch<OfxImageEffectSuiteV1>(host, kOfxImageEffectSuite);
    suites.propertySuite = fetch<OfxPropertySuiteV1>(host, kOfxPropertySuite);
    suites.parameterSuite = fetch<OfxParameterSuiteV1>(host, kOfxParameterSuite);
    suites.memorySuite = fetch<OfxMemorySuiteV1>(host, kOfxMemorySuite);
    suites.multiThreadSuite = fetch<OfxMultiThreadSuiteV1>(host, kOfxMultiThreadSuite);
    suites.messageSuite = fetch<OfxMessageSuiteV1>(host, kOfxMessageSuite);
    suites.interactSuite = fetch<OfxInteractSuiteV1>(host, kOfxInteractSuite);
    suites.timeLineSuite = fetch<OfxTimeLineSuiteV1>(host, kOfxTimeLineSuite);

    if (!suites.hasRequiredSuites() || suites.memorySuite == nullptr || suites.multiThreadSuite == nullptr) {
        return kOfxStatErrMissingHostFeature;
    }
    return kOfxStatOK;
}

}  // namespace horavex
