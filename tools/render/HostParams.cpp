#include "tools/render/HostParams.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <optional>

#include "common/Saturate.h"
#include "ofxapi/OfxNames.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

// Integer and double properties alike, as doubles; empty when absent or of
// another type.
std::vector<double> numbersOf(const host::PropertySet& props, const char* name) {
    const std::optional<host::PropertyType> type = props.type(name);
    if (type == host::PropertyType::Double) return props.getDoubles(name);
    if (type == host::PropertyType::Int) {
        const std::vector<int> ints = props.getInts(name);
        return std::vector<double>(ints.begin(), ints.end());
    }
    return {};
}

std::string stringOf(const host::PropertySet& props, const char* name) {
    if (props.type(name) != host::PropertyType::String || props.dimension(name) < 1) return {};
    return props.getString(name, 0);
}

std::vector<std::string> stringsOf(const host::PropertySet& props, const char* name) {
    if (props.type(name) != host::PropertyType::String) return {};
    return props.getStrings(name);
}

bool flagOf(const host::PropertySet& props, const char* name) {
    const std::vector<double> values = numbersOf(props, name);
    return !values.empty() && values[0] != 0.0;
}

// The host's own "no limit" values (the extremes of int and double) are no
// limit worth showing or enforcing.
std::optional<double> limitOf(const host::PropertySet& props, const char* name) {
    if (props.dimension(name) < 1) return std::nullopt;
    const std::optional<host::PropertyType> type = props.type(name);
    if (type == host::PropertyType::Int) {
        const int v = props.getInt(name, 0);
        if (v == INT_MIN || v == INT_MAX) return std::nullopt;
        return v;
    }
    if (type == host::PropertyType::Double) {
        const double v = props.getDouble(name, 0);
        if (!std::isfinite(v) || v <= -DBL_MAX || v >= DBL_MAX) return std::nullopt;
        return v;
    }
    return std::nullopt;
}

bool isNumberKind(ParamKind kind) { return kind == ParamKind::Integer || kind == ParamKind::Double; }

}  // namespace

ParamDescription describeParam(const host::Param& param) {
    const host::PropertySet& props = param.props();
    ParamDescription d;
    d.name = param.name();
    d.ofxType = param.type();
    d.kind = paramKind(d.ofxType);
    d.label = stringOf(props, kOfxPropLabel);
    if (d.label.empty()) d.label = d.name;
    d.parent = stringOf(props, kOfxParamPropParent);
    d.hint = stringOf(props, kOfxParamPropHint);
    if (d.kind == ParamKind::String) {
        d.defaultText = stringOf(props, kOfxParamPropDefault);
        d.multiLine = stringOf(props, kOfxParamPropStringMode) == kOfxParamStringIsMultiLine;
    } else {
        d.defaultNumbers = numbersOf(props, kOfxParamPropDefault);
    }
    if (isNumberKind(d.kind)) {
        d.min = limitOf(props, kOfxParamPropMin);
        d.max = limitOf(props, kOfxParamPropMax);
        d.displayMin = limitOf(props, kOfxParamPropDisplayMin);
        d.displayMax = limitOf(props, kOfxParamPropDisplayMax);
    }
    if (isNumberKind(d.kind) || d.kind == ParamKind::Double2D) {
        const std::vector<double> increment = numbersOf(props, kOfxParamPropIncrement);
        if (!increment.empty() && std::isfinite(increment[0])) d.increment = increment[0];
    }
    if (d.kind == ParamKind::Choice) d.options = stringsOf(props, kOfxParamPropChoiceOption);
    if (d.kind == ParamKind::Double2D) {
        d.normalised = stringOf(props, kOfxParamPropDefaultCoordinateSystem) == kOfxParamCoordinatesNormalised;
    }
    d.secret = flagOf(props, kOfxParamPropSecret);
    return d;
}

std::vector<ParamDescription> describeParams(const host::ParamSet& params) {
    std::vector<ParamDescription> descriptions;
    for (const host::Param* param : params.list()) descriptions.push_back(describeParam(*param));
    return descriptions;
}

std::string applySettings(host::ParamSet& params, const std::vector<Setting>& settings,
                          const FractionSetter& setFraction) {
    for (const Setting& setting : settings) {
        host::Param* param = params.find(setting.name);
        if (param == nullptr) {
            std::vector<Candidate> candidates;
            for (const host::Param* p : params.list()) {
                const ParamDescription d = describeParam(*p);
                if (d.kind == ParamKind::Group || d.kind == ParamKind::PushButton) continue;
                candidates.push_back({d.name, {d.label}});
            }
            std::string message = joinText({"unknown parameter ", inQuotes(setting.name)});
            const std::vector<std::string> closest = closestNames(setting.name, candidates, 3);
            for (std::size_t i = 0; i < closest.size(); ++i) {
                message += joinText({i == 0 ? "; closest: " : ", ", inQuotes(closest[i])});
            }
            message += " (--list-params shows them all)";
            return message;
        }
        const ParamDescription description = describeParam(*param);
        const ValueResult parsed = parseParamValue(description, setting.value);
        if (!parsed.value) return parsed.error;
        if (description.kind == ParamKind::Double2D && description.normalised && setFraction &&
            parsed.value->numbers.size() == 2) {
            setFraction(*param, parsed.value->numbers[0], parsed.value->numbers[1]);
            continue;
        }
        switch (param->info().kind) {
            case host::ParamValueKind::Int: {
                std::vector<int> ints;
                for (double v : parsed.value->numbers) ints.push_back(saturatingTrunc<int>(v));
                param->setIntN(ints);
                break;
            }
            case host::ParamValueKind::Double: param->setDoubleN(parsed.value->numbers); break;
            case host::ParamValueKind::String: param->setString(parsed.value->text); break;
            case host::ParamValueKind::None: break;
        }
    }
    return {};
}

}  // namespace horavex::cli
