#include "core/fontchooser/FontChooserProtocol.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>

#include "core/values/FontString.h"

namespace horavex {
namespace {

constexpr std::string_view kChosen = "chosen";
constexpr std::string_view kCancelled = "cancelled";
constexpr std::string_view kUnavailable = "unavailable";

constexpr std::string_view kFace = "face";
constexpr std::string_view kSize = "size";
constexpr std::string_view kWeight = "weight";
constexpr std::string_view kItalic = "italic";
constexpr std::string_view kUnderline = "underline";
constexpr std::string_view kStrikeOut = "strikeout";

std::string formatDouble(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::optional<double> parsePoints(std::string_view text) {
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value) ||
        value < 0.0) {
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> parseInt(std::string_view text) {
    int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> parseFlag(std::string_view text) {
    if (text == "0" || text == "1") {
        return text == "1";
    }
    return std::nullopt;
}

std::string_view flagText(bool flag) { return flag ? "1" : "0"; }

// One "key=value" pair; the value runs to the end of `line`.
bool splitPair(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    key = line.substr(0, equals);
    value = line.substr(equals + 1);
    return true;
}

// Sets the field `key` names from `value`; false when the value is malformed
// or the key unknown.
bool setField(FontChoice& choice, std::string_view key, std::string_view value) {
    if (key == kFace) {
        choice.face = std::string(value);
        return true;
    }
    if (key == kSize) {
        const auto points = parsePoints(value);
        choice.points = points.value_or(choice.points);
        return points.has_value();
    }
    if (key == kWeight) {
        const auto weight = parseInt(value);
        choice.weight = weight.value_or(choice.weight);
        return weight.has_value();
    }
    bool* flag = key == kItalic ? &choice.italic
                 : key == kUnderline ? &choice.underline
                 : key == kStrikeOut ? &choice.strikeOut
                                     : nullptr;
    if (flag == nullptr) {
        return false;
    }
    const auto parsed = parseFlag(value);
    *flag = parsed.value_or(*flag);
    return parsed.has_value();
}

}  // namespace

FontChoice fontChoiceFrom(const LogFont& font) {
    FontChoice choice;
    choice.face = faceNameUtf8(font);
    choice.points = lfHeightToPoints(font.lfHeight);
    choice.weight = font.lfWeight;
    choice.italic = font.lfItalic != 0;
    choice.underline = font.lfUnderline != 0;
    choice.strikeOut = font.lfStrikeOut != 0;
    return choice;
}

void applyFontChoice(const FontChoice& choice, LogFont& font) {
    font.lfHeight = pointsToLfHeight(choice.points);
    font.lfWeight = choice.weight;
    font.lfItalic = choice.italic ? 1 : 0;
    font.lfUnderline = choice.underline ? 1 : 0;
    font.lfStrikeOut = choice.strikeOut ? 1 : 0;
    setFaceName(font, choice.face);
}

std::vector<std::string> fontChooserArguments(const FontChoice& choice) {
    const auto argument = [](std::string_view key, std::string_view value) {
        return "--" + std::string(key) + "=" + std::string(value);
    };
    return {argument(kFace, choice.face),
            argument(kSize, formatDouble(choice.points)),
            argument(kWeight, std::to_string(choice.weight)),
            argument(kItalic, flagText(choice.italic)),
            argument(kUnderline, flagText(choice.underline)),
            argument(kStrikeOut, flagText(choice.strikeOut))};
}

FontChoice parseFontChooserArguments(const std::vector<std::string_view>& arguments) {
    FontChoice choice;
    for (std::string_view argument : arguments) {
        std::string_view key;
        std::string_view value;
        if (argument.substr(0, 2) != "--" || !splitPair(argument.substr(2), key, value)) {
            continue;
        }
        FontChoice candidate = choice;
        if (setField(candidate, key, value)) {
            choice = candidate;
        }
    }
    return choice;
}

std::string formatFontChooserAnswer(const FontChooserAnswer& answer) {
    switch (answer.outcome) {
        case FontChooserOutcome::Cancelled:
            return std::string(kCancelled) + "\n";
        case FontChooserOutcome::Unavailable:
            return std::string(kUnavailable) + "\n";
        case FontChooserOutcome::Chosen:
            break;
    }
    const FontChoice& choice = answer.choice;
    std::string text(kChosen);
    text += "\n";
    const auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value).append("\n");
    };
    line(kFace, choice.face);
    line(kSize, formatDouble(choice.points));
    line(kWeight, std::to_string(choice.weight));
    line(kItalic, flagText(choice.italic));
    line(kUnderline, flagText(choice.underline));
    line(kStrikeOut, flagText(choice.strikeOut));
    return text;
}

FontChooserAnswer parseFontChooserAnswer(std::string_view output) {
    FontChooserAnswer answer;
    const auto nextLine = [&output]() {
        const size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
        return line;
    };
    const std::string_view first = nextLine();
    if (first == kCancelled) {
        answer.outcome = FontChooserOutcome::Cancelled;
        return answer;
    }
    if (first != kChosen) {
        return answer;
    }
    unsigned seen = 0;
    constexpr std::string_view kKeys[] = {kFace, kSize, kWeight, kItalic, kUnderline, kStrikeOut};
    while (!output.empty()) {
        std::string_view key;
        std::string_view value;
        const std::string_view line = nextLine();
        if (line.empty()) {
            continue;
        }
        if (!splitPair(line, key, value) || !setField(answer.choice, key, value)) {
            return {};
        }
        for (unsigned i = 0; i < std::size(kKeys); ++i) {
            if (kKeys[i] == key) {
                seen |= 1u << i;
            }
        }
    }
    if (seen != (1u << std::size(kKeys)) - 1) {
        return {};
    }
    answer.outcome = FontChooserOutcome::Chosen;
    return answer;
}

}  // namespace horavex
