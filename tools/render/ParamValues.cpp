#include "tools/render/ParamValues.h"

#include <charconv>
#include <cmath>

#include "ofxapi/OfxNames.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

std::string badValue(const ParamDescription& param, std::string_view text, const std::string& why) {
    return joinText({"bad value ", inQuotes(text), " for ", inQuotes(param.name), ": ", why});
}

std::string optionList(const std::vector<std::string>& options) {
    std::string list;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0) list += ", ";
        list += joinText({std::to_string(i), " ", inQuotes(options[i])});
    }
    return list;
}

// Outside [min, max] a host's slider would not go; say which end.
std::string rangeProblem(const ParamDescription& param, double value) {
    if (param.min && value < *param.min) return joinText({"the minimum is ", formatNumber(*param.min)});
    if (param.max && value > *param.max) return joinText({"the maximum is ", formatNumber(*param.max)});
    return {};
}

}  // namespace

ParamKind paramKind(std::string_view ofxType) {
    if (ofxType == kOfxParamTypeInteger) return ParamKind::Integer;
    if (ofxType == kOfxParamTypeDouble) return ParamKind::Double;
    if (ofxType == kOfxParamTypeBoolean) return ParamKind::Boolean;
    if (ofxType == kOfxParamTypeChoice) return ParamKind::Choice;
    if (ofxType == kOfxParamTypeRGBA) return ParamKind::Rgba;
    if (ofxType == kOfxParamTypeDouble2D) return ParamKind::Double2D;
    if (ofxType == kOfxParamTypeString) return ParamKind::String;
    if (ofxType == kOfxParamTypeGroup) return ParamKind::Group;
    if (ofxType == kOfxParamTypePushButton) return ParamKind::PushButton;
    return ParamKind::Other;
}

std::string kindName(ParamKind kind, std::string_view ofxType) {
    switch (kind) {
        case ParamKind::Integer: return "integer";
        case ParamKind::Double: return "double";
        case ParamKind::Boolean: return "boolean";
        case ParamKind::Choice: return "choice";
        case ParamKind::Rgba: return "RGBA";
        case ParamKind::Double2D: return "double 2D";
        case ParamKind::String: return "string";
        case ParamKind::Group: return "group";
        case ParamKind::PushButton: return "push button";
        case ParamKind::Other: break;
    }
    return std::string(ofxType);
}

ValueResult parseParamValue(const ParamDescription& param, std::string_view text) {
    ValueResult result;
    const auto fail = [&](const std::string& why) {
        result.error = badValue(param, text, why);
        return result;
    };
    switch (param.kind) {
        case ParamKind::Integer: {
            const std::optional<int> value = parseWholeNumber(text);
            if (!value) return fail("expected a whole number");
            const std::string problem = rangeProblem(param, *value);
            if (!problem.empty()) return fail(problem);
            result.value = ParamValue{{static_cast<double>(*value)}, {}};
            return result;
        }
        case ParamKind::Double: {
            const std::optional<double> value = parseNumber(text);
            if (!value) return fail("expected a number");
            const std::string problem = rangeProblem(param, *value);
            if (!problem.empty()) return fail(problem);
            result.value = ParamValue{{*value}, {}};
            return result;
        }
        case ParamKind::Boolean: {
            const std::optional<bool> value = parseBoolean(text);
            if (!value) return fail("expected on/off, true/false or 1/0");
            result.value = ParamValue{{*value ? 1.0 : 0.0}, {}};
            return result;
        }
        case ParamKind::Choice: {
            const std::optional<int> index = parseChoice(text, param.options);
            if (!index) return fail(joinText({"expected one of ", optionList(param.options), " (label or index)"}));
            result.value = ParamValue{{static_cast<double>(*index)}, {}};
            return result;
        }
        case ParamKind::Rgba: {
            const std::optional<std::vector<double>> rgba = parseNumberList(text, 4);
            if (!rgba) return fail("expected r,g,b,a: four numbers from 0 to 1");
            for (double channel : *rgba) {
                if (channel < 0.0 || channel > 1.0) return fail("colour channels go from 0 to 1");
            }
            result.value = ParamValue{*rgba, {}};
            return result;
        }
        case ParamKind::Double2D: {
            const std::optional<std::vector<double>> xy = parseNumberList(text, 2);
            if (!xy) return fail("expected x,y: two numbers");
            result.value = ParamValue{*xy, {}};
            return result;
        }
        case ParamKind::String:
            result.value = ParamValue{{}, std::string(text)};
            return result;
        case ParamKind::Group:
        case ParamKind::PushButton:
        case ParamKind::Other:
            break;
    }
    result.error = joinText({inQuotes(param.name), " is a ", kindName(param.kind, param.ofxType), " and holds no value"});
    return result;
}

std::string formatNumber(double value) {
    if (value == 0.0) return "0";  // no "-0"
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return "?";
    return std::string(buffer, end);
}

std::string formatParamValue(const ParamDescription& param, const std::vector<double>& numbers,
                             const std::string& text) {
    switch (param.kind) {
        case ParamKind::String: return inQuotes(text);
        case ParamKind::Boolean: return !numbers.empty() && numbers[0] != 0.0 ? "on" : "off";
        case ParamKind::Choice: {
            if (numbers.empty()) return "?";
            const double index = numbers[0];
            std::string shown = formatNumber(index);
            if (index >= 0.0 && index < static_cast<double>(param.options.size())) {
                shown += joinText({" ", inQuotes(param.options[static_cast<std::size_t>(index)])});
            }
            return shown;
        }
        default: break;
    }
    std::string shown;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) shown += ",";
        shown += formatNumber(numbers[i]);
    }
    return shown;
}

}  // namespace horavex::cli
