// Parameters as a host presents them to a person: what each one is (name,
// label, type, default, range, options) and how a typed value becomes the
// numbers or text the host stores for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::cli {

enum class ParamKind { Integer, Double, Boolean, Choice, Rgba, Double2D, String, Group, PushButton, Other };

// From the OFX parameter type string.
ParamKind paramKind(std::string_view ofxType);
// "integer", "double", "boolean", "choice", "RGBA", "double 2D", "string",
// "group", "push button"; the OFX type for anything else.
std::string kindName(ParamKind kind, std::string_view ofxType);

struct ParamDescription {
    std::string name;
    std::string label;
    std::string ofxType;
    ParamKind kind = ParamKind::Other;
    std::string parent;  // empty at top level
    std::string hint;
    std::vector<double> defaultNumbers;
    std::string defaultText;
    // Only the limits that bound anything (the host's "no limit" is absent).
    std::optional<double> min;
    std::optional<double> max;
    std::optional<double> displayMin;
    std::optional<double> displayMax;
    std::optional<double> increment;
    std::vector<std::string> options;
    bool secret = false;
    bool normalised = false;
    bool multiLine = false;
};

// Numbers for the numeric kinds (an integer, boolean or choice as one whole
// number), text for strings.
struct ParamValue {
    std::vector<double> numbers;
    std::string text;
};

struct ValueResult {
    std::optional<ParamValue> value;
    std::string error;  // one line when value is empty
};

ValueResult parseParamValue(const ParamDescription& param, std::string_view text);

// Shortest text that reads back as the same double ("0.5", "9999", "1e-05").
std::string formatNumber(double value);
// A value as --set would take it: "on", "1,0,0,1", "0.5", text as is.
std::string formatParamValue(const ParamDescription& param, const std::vector<double>& numbers,
                             const std::string& text);

}  // namespace horavex::cli
