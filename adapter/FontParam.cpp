#include "adapter/FontParam.h"

#include <cstring>
#include <string>

#include "core/values/FontString.h"
#include "adapter/ParamNames.h"
#include "adapter/EffectAccess.h"
#include "adapter/ParamAccess.h"

namespace horavex {
namespace {

OfxParamHandle fontParam(const HostSuites& suites, OfxImageEffectHandle instance) {
    const EffectRef effect(suites, instance);
    return ParamSetRef(suites.parameterSuite, effect.paramSet()).handle(param::kFontParam);
}

}  // namespace

OfxStatus readFont(const HostSuites& suites, OfxImageEffectHandle instance, LogFont& font) {
    std::memset(&font, 0, sizeof font);
    std::string text;
    ParamReader(suites.parameterSuite).stringNow(fontParam(suites, instance), text);
    return decodeFont(text.c_str(), font);
}

OfxStatus writeFont(const HostSuites& suites, OfxImageEffectHandle instance, const LogFont& font) {
    char text[1024];
    encodeFont(font, text, sizeof text);
    return ParamReader(suites.parameterSuite).setString(fontParam(suites, instance), text);
}

}  // namespace horavex
