#include "adapter/HostTimeText.h"

#include "core/clocktime/TimeText.h"
#include "adapter/ParamNames.h"
#include "adapter/EffectAccess.h"
#include "adapter/ParamAccess.h"

namespace horavex {

std::string readFreeFormat(const HostSuites& suites, OfxImageEffectHandle instance) {
    const EffectRef effect(suites, instance);
    const OfxParamHandle param = ParamSetRef(suites.parameterSuite, effect.paramSet()).handle(param::kDigClockFreeFormat);
    std::string text;
    ParamReader(suites.parameterSuite).stringNow(param, text);
    return text;
}

std::wstring renderTimeText(const HostSuites& suites, OfxImageEffectHandle instance, int digitalFormat,
                            const ShownTime& shown) {
    const std::string freeFormat =
        digitalFormat == kFreeFormatIndex ? readFreeFormat(suites, instance) : std::string();
    return buildTimeText(digitalFormat, shown, freeFormat);
}

}  // namespace horavex
