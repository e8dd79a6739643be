// Reads and writes of parameter values through the parameter suite. Every read
// reports whether the host delivered a value and leaves the target untouched
// when it did not, so a failed read keeps the previous value in place.
#pragma once

#include <array>
#include <string>

#include "ofxapi/OfxApi.h"

namespace horavex {

class ParamSetRef {
public:
    ParamSetRef(const OfxParameterSuiteV1* suite, OfxParamSetHandle paramSet) : suite_(suite), paramSet_(paramSet) {}

    // Null when the host has no parameter of that name.
    OfxParamHandle handle(const char* name) const;

private:
    const OfxParameterSuiteV1* suite_;
    OfxParamSetHandle paramSet_;
};

class ParamReader {
public:
    explicit ParamReader(const OfxParameterSuiteV1* suite) : suite_(suite) {}

    // Current values (not at a time).
    bool intNow(OfxParamHandle param, int& value) const;
    bool stringNow(OfxParamHandle param, std::string& value) const;

    // Values at a time on the timeline.
    bool intAt(OfxParamHandle param, double time, int& value) const;
    bool doubleAt(OfxParamHandle param, double time, double& value) const;
    bool double2DAt(OfxParamHandle param, double time, std::array<double, 2>& value) const;
    bool rgbaAt(OfxParamHandle param, double time, std::array<double, 4>& value) const;

    OfxStatus setString(OfxParamHandle param, const char* value) const;

private:
    const OfxParameterSuiteV1* suite_;
};

}  // namespace horavex
