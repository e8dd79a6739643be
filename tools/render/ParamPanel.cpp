#include "tools/render/ParamPanel.h"

#include <algorithm>
#include <set>

#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

constexpr std::size_t kIndent = 4;

std::string details(const ParamDescription& p) {
    std::vector<std::string> parts;
    if (p.label != p.name) parts.push_back(joinText({"label ", inQuotes(p.label)}));
    const bool holdsValue = p.kind != ParamKind::Group && p.kind != ParamKind::PushButton && p.kind != ParamKind::Other;
    if (holdsValue) parts.push_back(joinText({"default ", formatParamValue(p, p.defaultNumbers, p.defaultText)}));
    if (p.min) parts.push_back(joinText({"min ", formatNumber(*p.min)}));
    if (p.max) parts.push_back(joinText({"max ", formatNumber(*p.max)}));
    if (p.displayMin && p.displayMax) {
        parts.push_back(joinText({"slider ", formatNumber(*p.displayMin), " to ", formatNumber(*p.displayMax)}));
    } else if (p.displayMax) {
        parts.push_back(joinText({"slider up to ", formatNumber(*p.displayMax)}));
    }
    if (p.increment) parts.push_back(joinText({"step ", formatNumber(*p.increment)}));
    if (p.normalised) {
        parts.push_back("fractions of the frame: 0,0 bottom left, 1,1 top right (handed to the host in its coordinates)");
    }
    if (p.multiLine) parts.push_back("multi-line");
    if (p.secret) parts.push_back("hidden");
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty()) joined += "; ";
        joined += part;
    }
    return joined;
}

struct Row {
    std::size_t depth;
    const ParamDescription* param;
};

class PanelLayout {
public:
    explicit PanelLayout(const std::vector<ParamDescription>& params) : params_(params) {
        std::set<std::string> groups;
        for (const ParamDescription& p : params) {
            if (p.kind == ParamKind::Group) groups.insert(p.name);
        }
        for (const ParamDescription& p : params) {
            if (p.parent.empty() || groups.count(p.parent) == 0 || p.parent == p.name) add(p, 0);
        }
        // Groups that only hang from each other are never reached above.
        for (const ParamDescription& p : params) add(p, 0);
    }
    const std::vector<Row>& rows() const { return rows_; }

private:
    void add(const ParamDescription& p, std::size_t depth) {
        // A parent chain that loops would never end; each row appears once.
        if (!shown_.insert(&p).second) return;
        rows_.push_back({depth, &p});
        if (p.kind != ParamKind::Group) return;
        for (const ParamDescription& member : params_) {
            if (member.parent == p.name && &member != &p) add(member, depth + 1);
        }
    }

    const std::vector<ParamDescription>& params_;
    std::vector<Row> rows_;
    std::set<const ParamDescription*> shown_;
};

}  // namespace

std::string formatParamPanel(const std::string& title, const std::vector<ParamDescription>& params) {
    const PanelLayout layout(params);
    std::size_t nameWidth = 0;
    std::size_t typeWidth = 0;
    for (const Row& row : layout.rows()) {
        nameWidth = std::max(nameWidth, row.depth * kIndent + row.param->name.size());
        typeWidth = std::max(typeWidth, kindName(row.param->kind, row.param->ofxType).size());
    }

    std::string text = joinText({title, "\n\n"});
    for (const Row& row : layout.rows()) {
        const ParamDescription& p = *row.param;
        const std::string indent(row.depth * kIndent, ' ');
        std::string line = joinText({indent, p.name});
        line.append(nameWidth + 2 - line.size(), ' ');
        const std::string type = kindName(p.kind, p.ofxType);
        line += type;
        const std::string more = details(p);
        if (!more.empty()) {
            line.append(typeWidth + 2 - type.size(), ' ');
            line += more;
        }
        text += joinText({line, "\n"});
        const std::string optionIndent(row.depth * kIndent + kIndent, ' ');
        for (std::size_t i = 0; i < p.options.size(); ++i) {
            text += joinText({optionIndent, "option ", std::to_string(i), " ", inQuotes(p.options[i]), "\n"});
        }
    }
    return text;
}

}  // namespace horavex::cli
