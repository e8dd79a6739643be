// A typed view of one host property set through the property suite. Reads
// start from a fallback value that stays in place when the host refuses the
// read, so callers never see an uninitialised value; statuses are returned
// where a caller wants them.
#pragma once

#include <array>
#include <string>

#include "ofxapi/OfxApi.h"

namespace horavex {

class PropertySetRef {
public:
    PropertySetRef(const OfxPropertySuiteV1* suite, OfxPropertySetHandle handle)
        : suite_(suite), handle_(handle) {}

    OfxPropertySetHandle handle() const { return handle_; }
    bool valid() const { return suite_ != nullptr && handle_ != nullptr; }

    // String values are copied at once: the host's pointer is only good until
    // its next call.
    std::string getString(const char* name, int index = 0) const;
    int getInt(const char* name, int index = 0, int fallback = 0) const;
    double getDouble(const char* name, int index = 0, double fallback = 0.0) const;
    void* getPointer(const char* name, int index = 0) const;
    template <size_t N>
    std::array<int, N> getIntN(const char* name) const {
        std::array<int, N> values{};
        if (valid()) {
            suite_->propGetIntN(handle_, name, static_cast<int>(N), values.data());
        }
        return values;
    }
    template <size_t N>
    std::array<double, N> getDoubleN(const char* name) const {
        std::array<double, N> values{};
        if (valid()) {
            suite_->propGetDoubleN(handle_, name, static_cast<int>(N), values.data());
        }
        return values;
    }

    OfxStatus setString(const char* name, int index, const char* value) const;
    OfxStatus setInt(const char* name, int index, int value) const;
    OfxStatus setDouble(const char* name, int index, double value) const;
    OfxStatus setPointer(const char* name, int index, void* value) const;
    OfxStatus setDoubleN(const char* name, const double* values, int count) const;

private:
    const OfxPropertySuiteV1* suite_;
    OfxPropertySetHandle handle_;
};

}  // namespace horavex
