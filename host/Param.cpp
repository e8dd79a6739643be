// Parameter values, keys and the descriptor defaults of each parameter type.
#include "host/Param.h"

#include "host/HandleRegistry.h"
#include "ofxapi/OfxNames.h"

#include <cfloat>
#include <climits>
#include <stdexcept>

namespace horavex::host {

void populateParamDescriptor(PropertySet& props, std::string_view type, std::string_view name) {
    const ParamTypeInfo info = paramTypeInfo(type);
    const std::string n(name);
    props.defineString(kOfxPropType, {kOfxTypeParameter});
    props.defineString(kOfxPropName, {n});
    props.defineString(kOfxParamPropType, {std::string(type)});
    props.defineString(kOfxPropLabel, {n});
    props.defineString("OfxPropShortLabel", {n});
    props.defineString("OfxPropLongLabel", {n});
    props.defineString(kOfxParamPropHint, {""});
    props.defineString(kOfxParamPropScriptName, {n});
    props.defineString(kOfxParamPropParent, {""});
    props.defineInt(kOfxParamPropSecret, {0});
    props.defineInt(kOfxParamPropEnabled, {1});
    props.definePointer("OfxParamPropDataPtr", {nullptr});

    if (type == kOfxParamTypeGroup) props.defineInt("OfxParamPropGroupOpen", {1});
    if (type == "OfxParamTypePage") props.defineString("OfxParamPropPageChild", {});
    if (info.kind == ParamValueKind::None) return;

    const bool numericAnimates = info.kind != ParamValueKind::String && info.interpolation == Interpolation::Linear;
    props.defineInt(kOfxParamPropAnimates, {numericAnimates ? 1 : 0});
    props.defineInt("OfxParamPropIsAnimating", {0});
    props.defineInt("OfxParamPropIsAutoKeying", {0});
    props.defineInt("OfxParamPropPersistant", {1});
    props.defineInt("OfxParamPropEvaluateOnChange", {1});
    props.defineInt("OfxParamPropPluginMayWrite", {0});
    props.defineInt("OfxParamPropCanUndo", {1});
    props.defineString("OfxParamPropCacheInvalidation", {"OfxParamInvalidateValueChange"});

    const auto dim = static_cast<std::size_t>(info.dimension);
    if (info.kind == ParamValueKind::String) {
        props.defineString(kOfxParamPropDefault, {""});
        if (type == kOfxParamTypeString) {
            props.defineString(kOfxParamPropStringMode, {kOfxParamStringIsSingleLine});
            props.defineInt("OfxParamPropStringFilePathExists", {1});
        }
        return;
    }
    if (info.kind == ParamValueKind::Int) {
        props.defineInt(kOfxParamPropDefault, std::vector<int>(dim, 0));
        if (type == kOfxParamTypeChoice) {
            props.defineString(kOfxParamPropChoiceOption, {});
            return;
        }
        if (type == kOfxParamTypeBoolean) return;
        props.defineInt(kOfxParamPropMin, std::vector<int>(dim, INT_MIN));
        props.defineInt(kOfxParamPropMax, std::vector<int>(dim, INT_MAX));
        props.defineInt(kOfxParamPropDisplayMin, std::vector<int>(dim, INT_MIN));
        props.defineInt(kOfxParamPropDisplayMax, std::vector<int>(dim, INT_MAX));
    } else {
        props.defineDouble(kOfxParamPropDefault, std::vector<double>(dim, 0.0));
        const bool colour = type == kOfxParamTypeRGBA || type == "OfxParamTypeRGB";
        if (colour) {
            std::vector<std::string> labels{"r", "g", "b", "a"};
            labels.resize(dim);
            props.defineString("OfxParamPropDimensionLabel", labels);
            return;
        }
        props.defineDouble(kOfxParamPropMin, std::vector<double>(dim, -DBL_MAX));
        props.defineDouble(kOfxParamPropMax, std::vector<double>(dim, DBL_MAX));
        props.defineDouble(kOfxParamPropDisplayMin, std::vector<double>(dim, -DBL_MAX));
        props.defineDouble(kOfxParamPropDisplayMax, std::vector<double>(dim, DBL_MAX));
        props.defineDouble(kOfxParamPropIncrement, {1.0});
        props.defineInt("OfxParamPropDigits", {2});
        props.defineString(kOfxParamPropDoubleType, {kOfxParamDoubleTypePlain});
        props.defineString(kOfxParamPropDefaultCoordinateSystem, {kOfxParamCoordinatesCanonical});
    }
    if (dim > 1) {
        std::vector<std::string> labels{"x", "y", "z"};
        labels.resize(dim);
        props.defineString("OfxParamPropDimensionLabel", labels);
    }
}

Param::Param(Host* host, std::string_view type, std::string_view name)
    : host_(host),
      type_(type),
      name_(name),
      info_(paramTypeInfo(type)),
      props_(std::string(type) + ":" + std::string(name)) {
    if (!info_.known) throw std::invalid_argument("unknown parameter type " + type_);
    props_.setHost(host);
    populateParamDescriptor(props_, type_, name_);
    resetToDefault();
    detail::registerHandle(this, HandleKind::Param, host);
}

Param::Param(Host* host, const Param& descriptor)
    : host_(host), type_(descriptor.type_), name_(descriptor.name_), info_(descriptor.info_), props_(descriptor.props_) {
    props_.setHost(host);
    props_.clearSetOrder();
    resetToDefault();
    detail::registerHandle(this, HandleKind::Param, host);
}

Param::~Param() { detail::unregisterHandle(this); }

Param* Param::fromHandle(OfxParamHandle handle) {
    if (!detail::isLiveHandle(handle, HandleKind::Param)) return nullptr;
    return reinterpret_cast<Param*>(handle);
}

OfxParamHandle Param::handle() const { return reinterpret_cast<OfxParamHandle>(const_cast<Param*>(this)); }
Host* Param::host() const { return host_; }
const std::string& Param::name() const { return name_; }
const std::string& Param::type() const { return type_; }
const ParamTypeInfo& Param::info() const { return info_; }
PropertySet& Param::props() { return props_; }
const PropertySet& Param::props() const { return props_; }

void Param::requireKind(ParamValueKind kind, std::size_t count) const {
    if (info_.kind != kind || count != static_cast<std::size_t>(info_.dimension)) {
        throw std::logic_error("parameter " + name_ + " of type " + type_ + " does not take " +
                               std::to_string(count) + " value(s) of that kind");
    }
}

void Param::normalise(std::vector<double>& values) const {
    values.resize(static_cast<std::size_t>(info_.dimension), 0.0);
    if (info_.kind != ParamValueKind::Int) return;
    for (double& v : values) v = saturatingRound(v);
}

void Param::resetToDefault() {
    std::vector<double> numbers(static_cast<std::size_t>(info_.dimension), 0.0);
    std::string text;
    const auto defaultType = props_.type(kOfxParamPropDefault);
    if (defaultType == PropertyType::Int) {
        const std::vector<int> ints = props_.getInts(kOfxParamPropDefault);
        for (std::size_t i = 0; i < numbers.size() && i < ints.size(); ++i) numbers[i] = ints[i];
    } else if (defaultType == PropertyType::Double) {
        const std::vector<double> doubles = props_.getDoubles(kOfxParamPropDefault);
        for (std::size_t i = 0; i < numbers.size() && i < doubles.size(); ++i) numbers[i] = doubles[i];
    } else if (defaultType == PropertyType::String && props_.dimension(kOfxParamPropDefault) > 0) {
        text = props_.getString(kOfxParamPropDefault, 0);
    }
    normalise(numbers);
    std::lock_guard lock(mutex_);
    numbers_ = std::move(numbers);
    text_ = std::move(text);
    numberKeys_.clear();
    textKeys_.clear();
}

void Param::setInt(int value) { setIntN({value}); }

void Param::setIntN(const std::vector<int>& values) {
    requireKind(ParamValueKind::Int, values.size());
    std::lock_guard lock(mutex_);
    numbers_.assign(values.begin(), values.end());
    numberKeys_.clear();
}

void Param::setDouble(double value) { setDoubleN({value}); }

void Param::setDoubleN(const std::vector<double>& values) {
    requireKind(ParamValueKind::Double, values.size());
    std::lock_guard lock(mutex_);
    numbers_ = values;
    numberKeys_.clear();
}

void Param::setString(std::string value) {
    requireKind(ParamValueKind::String, 1);
    std::lock_guard lock(mutex_);
    text_ = std::move(value);
    textKeys_.clear();
}

void Param::addKey(double time, const std::vector<double>& values) {
    if (info_.kind != ParamValueKind::Int) requireKind(ParamValueKind::Double, values.size());
    else requireKind(ParamValueKind::Int, values.size());
    setNumbersKey(time, values);
}

void Param::addStringKey(double time, std::string value) {
    requireKind(ParamValueKind::String, 1);
    setStringKey(time, std::move(value));
}

void Param::removeAllKeys() {
    std::lock_guard lock(mutex_);
    numberKeys_.clear();
    textKeys_.clear();
}

int Param::intValue(double time) const {
    requireKind(ParamValueKind::Int, 1);
    return saturatingRound(numbersAt(time).at(0));
}

std::vector<int> Param::intValues(double time) const {
    if (info_.kind != ParamValueKind::Int) requireKind(ParamValueKind::Int, 0);
    std::vector<int> result;
    for (double v : numbersAt(time)) result.push_back(saturatingRound(v));
    return result;
}

double Param::doubleValue(double time) const {
    requireKind(ParamValueKind::Double, 1);
    return numbersAt(time).at(0);
}

std::vector<double> Param::doubleValues(double time) const {
    if (info_.kind != ParamValueKind::Double) requireKind(ParamValueKind::Double, 0);
    return numbersAt(time);
}

std::string Param::stringValue(double time) const {
    requireKind(ParamValueKind::String, 1);
    return stringAt(time);
}

std::vector<double> Param::keyTimes() const {
    std::lock_guard lock(mutex_);
    std::vector<double> times;
    for (const auto& [t, v] : numberKeys_) times.push_back(t);
    for (const auto& [t, v] : textKeys_) times.push_back(t);
    return times;
}

std::size_t Param::numKeys() const {
    std::lock_guard lock(mutex_);
    return numberKeys_.size() + textKeys_.size();
}

std::vector<double> Param::numbersAt(double time) const {
    std::lock_guard lock(mutex_);
    if (numberKeys_.empty()) return numbers_;
    std::vector<double> values = interpolateKeys(numberKeys_, time, info_.interpolation);
    normalise(values);
    return values;
}

const char* Param::stringAt(double time) const {
    std::lock_guard lock(mutex_);
    if (textKeys_.empty()) return text_.c_str();
    auto after = textKeys_.upper_bound(time);
    if (after == textKeys_.begin()) return after->second.c_str();
    return std::prev(after)->second.c_str();
}

void Param::setNumbersAt(double time, std::vector<double> values) {
    normalise(values);
    std::lock_guard lock(mutex_);
    if (numberKeys_.empty()) {
        numbers_ = std::move(values);
    } else {
        numberKeys_[time] = std::move(values);
    }
}

void Param::setStringAt(double time, std::string value) {
    std::lock_guard lock(mutex_);
    if (textKeys_.empty()) {
        text_ = std::move(value);
    } else {
        textKeys_[time] = std::move(value);
    }
}

void Param::setNumbersKey(double time, std::vector<double> values) {
    normalise(values);
    std::lock_guard lock(mutex_);
    numberKeys_[time] = std::move(values);
}

void Param::setStringKey(double time, std::string value) {
    std::lock_guard lock(mutex_);
    textKeys_[time] = std::move(value);
}

bool Param::deleteKey(double time) {
    std::lock_guard lock(mutex_);
    return numberKeys_.erase(time) + textKeys_.erase(time) > 0;
}

void Param::copyFrom(const Param& from, double offset, const OfxRangeD* range) {
    std::vector<double> numbers;
    std::string text;
    std::map<double, std::vector<double>> numberKeys;
    std::map<double, std::string> textKeys;
    auto inRange = [range](double t) { return range == nullptr || (t >= range->min && t <= range->max); };
    {
        std::lock_guard lock(from.mutex_);
        numbers = from.numbers_;
        text = from.text_;
        for (const auto& [t, v] : from.numberKeys_) {
            if (inRange(t)) numberKeys[t + offset] = v;
        }
        for (const auto& [t, v] : from.textKeys_) {
            if (inRange(t)) textKeys[t + offset] = v;
        }
    }
    std::lock_guard lock(mutex_);
    numbers_ = std::move(numbers);
    text_ = std::move(text);
    numberKeys_ = std::move(numberKeys);
    textKeys_ = std::move(textKeys);
}

ParamSet::ParamSet(Host* host, bool isDescriptor, std::string tag)
    : host_(host), isDescriptor_(isDescriptor), props_(std::move(tag)) {
    props_.setHost(host);
    detail::registerHandle(this, HandleKind::ParamSet, host);
}

ParamSet::ParamSet(Host* host, const ParamSet& descriptor, std::string tag)
    : host_(host), isDescriptor_(false), props_(descriptor.props_) {
    props_.setTag(std::move(tag));
    props_.setHost(host);
    props_.clearSetOrder();
    for (const auto& p : descriptor.params_) params_.push_back(std::make_unique<Param>(host, *p));
    detail::registerHandle(this, HandleKind::ParamSet, host);
}

ParamSet::~ParamSet() { detail::unregisterHandle(this); }

ParamSet* ParamSet::fromHandle(OfxParamSetHandle handle) {
    if (!detail::isLiveHandle(handle, HandleKind::ParamSet)) return nullptr;
    return reinterpret_cast<ParamSet*>(handle);
}

OfxParamSetHandle ParamSet::handle() const {
    return reinterpret_cast<OfxParamSetHandle>(const_cast<ParamSet*>(this));
}

bool ParamSet::isDescriptor() const { return isDescriptor_; }
PropertySet& ParamSet::props() { return props_; }

Param& ParamSet::define(std::string_view type, std::string_view name) {
    if (find(name) != nullptr) throw std::invalid_argument("parameter " + std::string(name) + " exists");
    params_.push_back(std::make_unique<Param>(host_, type, name));
    return *params_.back();
}

Param* ParamSet::find(std::string_view name) const {
    for (const auto& p : params_) {
        if (p->name() == name) return p.get();
    }
    return nullptr;
}

Param& ParamSet::get(std::string_view name) const {
    Param* p = find(name);
    if (p == nullptr) throw std::out_of_range("no parameter " + std::string(name));
    return *p;
}

std::vector<Param*> ParamSet::list() const {
    std::vector<Param*> result;
    for (const auto& p : params_) result.push_back(p.get());
    return result;
}

std::vector<std::string> ParamSet::names() const {
    std::vector<std::string> result;
    for (const auto& p : params_) result.push_back(p->name());
    return result;
}

std::size_t ParamSet::size() const { return params_.size(); }
int ParamSet::editDepth() const { return editDepth_; }
void ParamSet::beginEdit() { ++editDepth_; }

bool ParamSet::endEdit() {
    if (editDepth_ == 0) return false;
    --editDepth_;
    return true;
}

}  // namespace horavex::host
