#include "adapter/PropertyAccess.h"

namespace horavex {

std::string PropertySetRef::getString(const char* name, int index) const {
    char* value = nullptr;
    if (valid() && suite_->propGetString(handle_, name, index, &value) == kOfxStatOK && value != nullptr) {
        return std::string(value);
    }
    return {};
}

int PropertySetRef::getInt(const char* name, int index, int fallback) const {
    int value = fallback;
    if (valid() && suite_->propGetInt(handle_, name, index, &value) != kOfxStatOK) {
        value = fallback;
    }
    return value;
}

double PropertySetRef::getDouble(const char* name, int index, double fallback) const {
    double value = fallback;
    if (valid() && suite_->propGetDouble(handle_, name, index, &value) != kOfxStatOK) {
        value = fallback;
    }
    return value;
}

void* PropertySetRef::getPointer(const char* name, int index) const {
    void* value = nullptr;
    if (valid() && suite_->propGetPointer(handle_, name, index, &value) != kOfxStatOK) {
        value = nullptr;
    }
    return value;
}

OfxStatus PropertySetRef::setString(const char* name, int index, const char* value) const {
    return valid() ? suite_->propSetString(handle_, name, index, value) : kOfxStatErrBadHandle;
}

OfxStatus PropertySetRef::setInt(const char* name, int index, int value) const {
    return valid() ? suite_->propSetInt(handle_, name, index, value) : kOfxStatErrBadHandle;
}

OfxStatus PropertySetRef::setDouble(const char* name, int index, double value) const {
    return valid() ? suite_->propSetDouble(handle_, name, index, value) : kOfxStatErrBadHandle;
}

OfxStatus PropertySetRef::setPointer(const char* name, int index, void* value) const {
    return valid() ? suite_->propSetPointer(handle_, name, index, value) : kOfxStatErrBadHandle;
}

OfxStatus PropertySetRef::setDoubleN(const char* name, const double* values, int count) const {
    return valid() ? suite_->propSetDoubleN(handle_, name, count, values) : kOfxStatErrBadHandle;
}

}  // namespace horavex
