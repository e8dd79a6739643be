// Fault injection switches of a Host: suites it pretends not to have,
// parameter definitions, parameter reads, property writes and property reads
// it rejects. Image faults live on each Clip (refuseImages, setNullImageData);
// a null OfxHost::fetchSuite is Host::setNullFetchSuite.
#pragma once

#include "ofxapi/OfxApi.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

// What a faulty parameter read does instead of delivering the value.
struct ParamReadFault {
    enum class Kind {
        Status,       // returns `status` and writes nothing
        BadAlloc,     // throws std::bad_alloc into the plug-in
        LengthError,  // throws std::length_error (another std::exception)
    };
    Kind kind = Kind::Status;
    OfxStatus status = kOfxStatFailed;
};

class Faults {
public:
    // fetchSuite answers null for this suite name (any version).
    void omitSuite(std::string name);
    void restoreSuite(std::string_view name);
    bool suiteOmitted(std::string_view name) const;

    // paramDefine of a parameter with this name returns `status` and defines
    // nothing.
    void failParamDefine(std::string name, OfxStatus status = kOfxStatFailed);
    std::optional<OfxStatus> paramDefineFailure(std::string_view name) const;

    // Every suite set of `property` on a property set whose tag matches
    // returns `status` and changes nothing. An empty tag matches every set;
    // otherwise a tag matches itself and every tag it prefixes followed by
    // ':' (so "OfxParamTypeInteger" matches "OfxParamTypeInteger:Start Day").
    void failPropertySet(std::string property, OfxStatus status, std::string tag = {});
    std::optional<OfxStatus> propertySetFailure(std::string_view property, std::string_view tag) const;
    // The same for every suite get of `property`: the call returns `status`
    // and writes nothing to the caller's variables.
    void failPropertyGet(std::string property, OfxStatus status, std::string tag = {});
    std::optional<OfxStatus> propertyGetFailure(std::string_view property, std::string_view tag) const;

    // paramGetValue and paramGetValueAtTime of the parameter with this name
    // fail as `fault` says. A thrown exception leaves the suite call and
    // unwinds through the plug-in, which is how a test makes the plug-in's
    // own guard see one.
    void failParamRead(std::string name, ParamReadFault fault = {});
    std::optional<ParamReadFault> paramReadFailure(std::string_view name) const;

    void clear();

private:
    std::map<std::string, ParamReadFault, std::less<>> paramReadFailures_;
    struct PropertyFault {
        std::string property;
        OfxStatus status;
        std::string tag;
    };
    std::set<std::string, std::less<>> omittedSuites_;
    std::map<std::string, OfxStatus, std::less<>> paramDefineFailures_;
    static std::optional<OfxStatus> match(const std::vector<PropertyFault>& faults, std::string_view property,
                                          std::string_view tag);

    std::vector<PropertyFault> propertyFaults_;
    std::vector<PropertyFault> propertyGetFaults_;
};

}  // namespace horavex::host
