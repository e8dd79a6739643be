#include "adapter/ParamAccess.h"

namespace horavex {

OfxParamHandle ParamSetRef::handle(const char* name) const {
    OfxParamHandle param = nullptr;
    if (suite_ == nullptr || paramSet_ == nullptr ||
        suite_->paramGetHandle(paramSet_, name, &param, nullptr) != kOfxStatOK) {
        return nullptr;
    }
    return param;
}

bool ParamReader::intNow(OfxParamHandle param, int& value) const {
    int read = 0;
    if (suite_ == nullptr || param == nullptr || suite_->paramGetValue(param, &read) != kOfxStatOK) {
        return false;
    }
    value = read;
    return true;
}

bool ParamReader::stringNow(OfxParamHandle param, std::string& value) const {
    const char* read = nullptr;
    if (suite_ == nullptr || param == nullptr || suite_->paramGetValue(param, &read) != kOfxStatOK) {
        return false;
    }
    value = read != nullptr ? read : "";
    return true;
}

bool ParamReader::intAt(OfxParamHandle param, double time, int& value) const {
    int read = 0;
    if (suite_ == nullptr || param == nullptr || suite_->paramGetValueAtTime(param, time, &read) != kOfxStatOK) {
        return false;
    }
    value = read;
    return true;
}

bool ParamReader::doubleAt(OfxParamHandle param, double time, double& value) const {
    double read = 0.0;
    if (suite_ == nullptr || param == nullptr || suite_->paramGetValueAtTime(param, time, &read) != kOfxStatOK) {
        return false;
    }
    value = read;
    return true;
}

bool ParamReader::double2DAt(OfxParamHandle param, double time, std::array<double, 2>& value) const {
    std::array<double, 2> read{};
    if (suite_ == nullptr || param == nullptr ||
        suite_->paramGetValueAtTime(param, time, &read[0], &read[1]) != kOfxStatOK) {
        return false;
    }
    value = read;
    return true;
}

bool ParamReader::rgbaAt(OfxParamHandle param, double time, std::array<double, 4>& value) const {
    std::array<double, 4> read{};
    if (suite_ == nullptr || param == nullptr ||
        suite_->paramGetValueAtTime(param, time, &read[0], &read[1], &read[2], &read[3]) != kOfxStatOK) {
        return false;
    }
    value = read;
    return true;
}

OfxStatus ParamReader::setString(OfxParamHandle param, const char* value) const {
    if (suite_ == nullptr || param == nullptr) {
        return kOfxStatErrBadHandle;
    }
    return suite_->paramSetValue(param, value);
}

}  // namespace horavex
