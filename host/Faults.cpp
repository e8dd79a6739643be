// Matching of the fault switches.
#include "host/Faults.h"

namespace horavex::host {

void Faults::omitSuite(std::string name) { omittedSuites_.insert(std::move(name)); }

void Faults::restoreSuite(std::string_view name) {
    auto it = omittedSuites_.find(name);
    if (it != omittedSuites_.end()) omittedSuites_.erase(it);
}

bool Faults::suiteOmitted(std::string_view name) const { return omittedSuites_.find(name) != omittedSuites_.end(); }

void Faults::failParamDefine(std::string name, OfxStatus status) { paramDefineFailures_[std::move(name)] = status; }

std::optional<OfxStatus> Faults::paramDefineFailure(std::string_view name) const {
    auto it = paramDefineFailures_.find(name);
    if (it == paramDefineFailures_.end()) return std::nullopt;
    return it->second;
}

void Faults::failPropertySet(std::string property, OfxStatus status, std::string tag) {
    propertyFaults_.push_back(PropertyFault{std::move(property), status, std::move(tag)});
}

std::optional<OfxStatus> Faults::propertySetFailure(std::string_view property, std::string_view tag) const {
    return match(propertyFaults_, property, tag);
}

void Faults::failPropertyGet(std::string property, OfxStatus status, std::string tag) {
    propertyGetFaults_.push_back(PropertyFault{std::move(property), status, std::move(tag)});
}

std::optional<OfxStatus> Faults::propertyGetFailure(std::string_view property, std::string_view tag) const {
    return match(propertyGetFaults_, property, tag);
}

std::optional<OfxStatus> Faults::match(const std::vector<PropertyFault>& faults, std::string_view property,
                                       std::string_view tag) {
    for (const PropertyFault& f : faults) {
        if (f.property != property) continue;
        const bool tagMatches = f.tag.empty() || tag == f.tag ||
                                (tag.size() > f.tag.size() && tag.substr(0, f.tag.size()) == f.tag &&
                                 tag[f.tag.size()] == ':');
        if (tagMatches) return f.status;
    }
    return std::nullopt;
}

void Faults::failParamRead(std::string name, ParamReadFault fault) { paramReadFailures_[std::move(name)] = fault; }

std::optional<ParamReadFault> Faults::paramReadFailure(std::string_view name) const {
    if (paramReadFailures_.empty()) return std::nullopt;
    auto it = paramReadFailures_.find(name);
    if (it == paramReadFailures_.end()) return std::nullopt;
    return it->second;
}

void Faults::clear() {
    paramReadFailures_.clear();
    omittedSuites_.clear();
    paramDefineFailures_.clear();
    propertyFaults_.clear();
    propertyGetFaults_.clear();
}

}  // namespace horavex::host
