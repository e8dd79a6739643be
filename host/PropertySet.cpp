// Property storage and the status rules of the property suite.
#include "host/PropertySet.h"

#include "host/HandleRegistry.h"

#include <algorithm>
#include <stdexcept>
#include <type_traits>

namespace horavex::host {
namespace {

template <class T>
constexpr PropertyType typeOf() {
    if constexpr (std::is_same_v<T, int>) return PropertyType::Int;
    else if constexpr (std::is_same_v<T, double>) return PropertyType::Double;
    else if constexpr (std::is_same_v<T, std::string>) return PropertyType::String;
    else return PropertyType::Pointer;
}

template <class Out, class T>
Out exportValue(const T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
        // The suite's getters hand out char*; plug-ins must not write through
        // it, and the storage stays ours.
        return const_cast<char*>(value.c_str());
    } else {
        return value;
    }
}

template <class T, class In>
T importValue(In value) {
    if constexpr (std::is_same_v<T, std::string>) {
        return std::string(value);
    } else {
        return value;
    }
}

template <class In>
bool isNullValue(In value) {
    if constexpr (std::is_pointer_v<In> && std::is_same_v<std::remove_cv_t<std::remove_pointer_t<In>>, char>) {
        return value == nullptr;
    } else {
        return false;
    }
}

}  // namespace

const char* propertyTypeName(PropertyType type) {
    switch (type) {
        case PropertyType::Int: return "int";
        case PropertyType::Double: return "double";
        case PropertyType::String: return "string";
        case PropertyType::Pointer: return "pointer";
    }
    return "?";
}

PropertySet::PropertySet(std::string tag, bool allowCreate) : tag_(std::move(tag)), allowCreate_(allowCreate) {
    detail::registerHandle(this, HandleKind::PropertySet, nullptr);
}

PropertySet::PropertySet(const PropertySet& other) {
    {
        std::lock_guard lock(other.mutex_);
        tag_ = other.tag_;
        allowCreate_ = other.allowCreate_;
        host_ = other.host_;
        copyFrom(other);
    }
    detail::registerHandle(this, HandleKind::PropertySet, host_);
}

PropertySet& PropertySet::operator=(const PropertySet& other) {
    if (this == &other) return *this;
    std::scoped_lock lock(mutex_, other.mutex_);
    tag_ = other.tag_;
    allowCreate_ = other.allowCreate_;
    host_ = other.host_;
    properties_.clear();
    creationOrder_.clear();
    setOrder_.clear();
    copyFrom(other);
    detail::setHandleOwner(this, host_);
    return *this;
}

PropertySet::~PropertySet() { detail::unregisterHandle(this); }

void PropertySet::copyFrom(const PropertySet& other) {
    for (const Property* p : other.creationOrder_) {
        auto copy = std::make_unique<Property>(*p);
        creationOrder_.push_back(copy.get());
        properties_.emplace(copy->name, std::move(copy));
    }
}

OfxPropertySetHandle PropertySet::handle() const {
    return reinterpret_cast<OfxPropertySetHandle>(const_cast<PropertySet*>(this));
}

PropertySet* PropertySet::fromHandle(OfxPropertySetHandle handle) {
    if (!detail::isLiveHandle(handle, HandleKind::PropertySet)) return nullptr;
    return reinterpret_cast<PropertySet*>(handle);
}

bool PropertySet::allowCreate() const {
    std::lock_guard lock(mutex_);
    return allowCreate_;
}

void PropertySet::setAllowCreate(bool allow) {
    std::lock_guard lock(mutex_);
    allowCreate_ = allow;
}

const std::string& PropertySet::tag() const { return tag_; }

void PropertySet::setTag(std::string tag) {
    std::lock_guard lock(mutex_);
    tag_ = std::move(tag);
}

Host* PropertySet::host() const { return host_; }

void PropertySet::setHost(Host* host) {
    host_ = host;
    detail::setHandleOwner(this, host);
}

const PropertySet::Property* PropertySet::find(std::string_view name) const {
    auto it = properties_.find(name);
    return it == properties_.end() ? nullptr : it->second.get();
}

PropertySet::Property* PropertySet::find(std::string_view name) {
    auto it = properties_.find(name);
    return it == properties_.end() ? nullptr : it->second.get();
}

void PropertySet::noteSet(std::string_view name) {
    if (std::find(setOrder_.begin(), setOrder_.end(), name) == setOrder_.end()) {
        setOrder_.emplace_back(name);
    }
}

void PropertySet::defineValues(std::string_view name, Values values) {
    std::lock_guard lock(mutex_);
    if (Property* p = find(name)) {
        p->values = values;
        p->defaults = std::move(values);
        return;
    }
    auto p = std::make_unique<Property>(Property{std::string(name), values, std::move(values)});
    creationOrder_.push_back(p.get());
    properties_.emplace(p->name, std::move(p));
}

void PropertySet::defineInt(std::string_view name, std::vector<int> values) { defineValues(name, std::move(values)); }
void PropertySet::defineDouble(std::string_view name, std::vector<double> values) {
    defineValues(name, std::move(values));
}
void PropertySet::defineString(std::string_view name, std::vector<std::string> values) {
    defineValues(name, std::move(values));
}
void PropertySet::definePointer(std::string_view name, std::vector<void*> values) {
    defineValues(name, std::move(values));
}

void PropertySet::clear() {
    std::lock_guard lock(mutex_);
    properties_.clear();
    creationOrder_.clear();
    setOrder_.clear();
}

bool PropertySet::remove(std::string_view name) {
    std::lock_guard lock(mutex_);
    auto it = properties_.find(name);
    if (it == properties_.end()) return false;
    creationOrder_.erase(std::find(creationOrder_.begin(), creationOrder_.end(), it->second.get()));
    properties_.erase(it);
    return true;
}

template <class T>
OfxStatus PropertySet::setAt(std::string_view name, int index, T value) {
    std::lock_guard lock(mutex_);
    if (index < 0) return kOfxStatErrBadIndex;
    Property* p = find(name);
    if (p == nullptr) {
        if (!allowCreate_) return kOfxStatErrUnknown;
        if (index != 0) return kOfxStatErrBadIndex;
        std::vector<T> values{std::move(value)};
        auto created = std::make_unique<Property>(Property{std::string(name), values, values});
        creationOrder_.push_back(created.get());
        properties_.emplace(created->name, std::move(created));
        noteSet(name);
        return kOfxStatOK;
    }
    auto* values = std::get_if<std::vector<T>>(&p->values);
    if (values == nullptr) return kOfxStatErrValue;
    const auto size = values->size();
    const auto at = static_cast<std::size_t>(index);
    if (at > size) return kOfxStatErrBadIndex;
    if (at == size) {
        values->push_back(std::move(value));
    } else {
        (*values)[at] = std::move(value);
    }
    noteSet(name);
    return kOfxStatOK;
}

template <class T, class In>
OfxStatus PropertySet::setMany(std::string_view name, int count, const In* in) {
    std::lock_guard lock(mutex_);
    if (count < 0) return kOfxStatErrBadIndex;
    if (count > 0 && in == nullptr) return kOfxStatErrValue;
    for (int i = 0; i < count; ++i) {
        if (isNullValue(in[i])) return kOfxStatErrValue;
    }
    Property* p = find(name);
    if (p == nullptr) {
        if (!allowCreate_) return kOfxStatErrUnknown;
        std::vector<T> values;
        for (int i = 0; i < count; ++i) values.push_back(importValue<T>(in[i]));
        auto created = std::make_unique<Property>(Property{std::string(name), values, values});
        creationOrder_.push_back(created.get());
        properties_.emplace(created->name, std::move(created));
        noteSet(name);
        return kOfxStatOK;
    }
    auto* values = std::get_if<std::vector<T>>(&p->values);
    if (values == nullptr) return kOfxStatErrValue;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (at < values->size()) {
            (*values)[at] = importValue<T>(in[i]);
        } else {
            values->push_back(importValue<T>(in[i]));
        }
    }
    noteSet(name);
    return kOfxStatOK;
}

template <class T, class Out>
OfxStatus PropertySet::queryAt(std::string_view name, int index, Out* out) const {
    std::lock_guard lock(mutex_);
    const Property* p = find(name);
    if (p == nullptr) return kOfxStatErrUnknown;
    const auto* values = std::get_if<std::vector<T>>(&p->values);
    if (values == nullptr) return kOfxStatErrValue;
    if (index < 0 || static_cast<std::size_t>(index) >= values->size()) return kOfxStatErrBadIndex;
    if (out == nullptr) return kOfxStatErrValue;
    *out = exportValue<Out>((*values)[static_cast<std::size_t>(index)]);
    return kOfxStatOK;
}

template <class T, class Out>
OfxStatus PropertySet::queryMany(std::string_view name, int count, Out* out) const {
    std::lock_guard lock(mutex_);
    const Property* p = find(name);
    if (p == nullptr) return kOfxStatErrUnknown;
    const auto* values = std::get_if<std::vector<T>>(&p->values);
    if (values == nullptr) return kOfxStatErrValue;
    if (count < 0 || static_cast<std::size_t>(count) > values->size()) return kOfxStatErrBadIndex;
    if (count > 0 && out == nullptr) return kOfxStatErrValue;
    for (int i = 0; i < count; ++i) out[i] = exportValue<Out>((*values)[static_cast<std::size_t>(i)]);
    return kOfxStatOK;
}

OfxStatus PropertySet::setInt(std::string_view name, int index, int value) { return setAt<int>(name, index, value); }
OfxStatus PropertySet::setDouble(std::string_view name, int index, double value) {
    return setAt<double>(name, index, value);
}
OfxStatus PropertySet::setString(std::string_view name, int index, const char* value) {
    if (value == nullptr) return kOfxStatErrValue;
    return setAt<std::string>(name, index, std::string(value));
}
OfxStatus PropertySet::setPointer(std::string_view name, int index, void* value) {
    return setAt<void*>(name, index, value);
}
OfxStatus PropertySet::setIntN(std::string_view name, int count, const int* values) {
    return setMany<int>(name, count, values);
}
OfxStatus PropertySet::setDoubleN(std::string_view name, int count, const double* values) {
    return setMany<double>(name, count, values);
}
OfxStatus PropertySet::setStringN(std::string_view name, int count, const char* const* values) {
    return setMany<std::string>(name, count, values);
}
OfxStatus PropertySet::setPointerN(std::string_view name, int count, void* const* values) {
    return setMany<void*>(name, count, values);
}

OfxStatus PropertySet::queryInt(std::string_view name, int index, int* out) const {
    return queryAt<int>(name, index, out);
}
OfxStatus PropertySet::queryDouble(std::string_view name, int index, double* out) const {
    return queryAt<double>(name, index, out);
}
OfxStatus PropertySet::queryString(std::string_view name, int index, char** out) const {
    return queryAt<std::string>(name, index, out);
}
OfxStatus PropertySet::queryPointer(std::string_view name, int index, void** out) const {
    return queryAt<void*>(name, index, out);
}
OfxStatus PropertySet::queryIntN(std::string_view name, int count, int* out) const {
    return queryMany<int>(name, count, out);
}
OfxStatus PropertySet::queryDoubleN(std::string_view name, int count, double* out) const {
    return queryMany<double>(name, count, out);
}
OfxStatus PropertySet::queryStringN(std::string_view name, int count, char** out) const {
    return queryMany<std::string>(name, count, out);
}
OfxStatus PropertySet::queryPointerN(std::string_view name, int count, void** out) const {
    return queryMany<void*>(name, count, out);
}

OfxStatus PropertySet::queryDimension(std::string_view name, int* out) const {
    std::lock_guard lock(mutex_);
    const Property* p = find(name);
    if (p == nullptr) return kOfxStatErrUnknown;
    if (out == nullptr) return kOfxStatErrValue;
    *out = static_cast<int>(std::visit([](const auto& v) { return v.size(); }, p->values));
    return kOfxStatOK;
}

OfxStatus PropertySet::reset(std::string_view name) {
    std::lock_guard lock(mutex_);
    Property* p = find(name);
    if (p == nullptr) return kOfxStatErrUnknown;
    p->values = p->defaults;
    return kOfxStatOK;
}

template <class T>
std::vector<T> PropertySet::getAll(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const Property* p = find(name);
    if (p == nullptr) throw std::out_of_range("no property " + std::string(name) + " in " + tag_);
    const auto* values = std::get_if<std::vector<T>>(&p->values);
    if (values == nullptr) {
        throw std::logic_error("property " + std::string(name) + " is not of type " +
                               propertyTypeName(typeOf<T>()));
    }
    return *values;
}

template <class T>
T PropertySet::getOne(std::string_view name, int index) const {
    std::vector<T> all = getAll<T>(name);
    if (index < 0 || static_cast<std::size_t>(index) >= all.size()) {
        throw std::out_of_range("index " + std::to_string(index) + " of property " + std::string(name) +
                                " (dimension " + std::to_string(all.size()) + ")");
    }
    return all[static_cast<std::size_t>(index)];
}

int PropertySet::getInt(std::string_view name, int index) const { return getOne<int>(name, index); }
double PropertySet::getDouble(std::string_view name, int index) const { return getOne<double>(name, index); }
std::string PropertySet::getString(std::string_view name, int index) const {
    return getOne<std::string>(name, index);
}
void* PropertySet::getPointer(std::string_view name, int index) const { return getOne<void*>(name, index); }
std::vector<int> PropertySet::getInts(std::string_view name) const { return getAll<int>(name); }
std::vector<double> PropertySet::getDoubles(std::string_view name) const { return getAll<double>(name); }
std::vector<std::string> PropertySet::getStrings(std::string_view name) const {
    return getAll<std::string>(name);
}

int PropertySet::dimension(std::string_view name) const {
    int n = -1;
    return queryDimension(name, &n) == kOfxStatOK ? n : -1;
}

bool PropertySet::has(std::string_view name) const {
    std::lock_guard lock(mutex_);
    return find(name) != nullptr;
}

std::optional<PropertyType> PropertySet::type(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const Property* p = find(name);
    if (p == nullptr) return std::nullopt;
    return static_cast<PropertyType>(p->values.index());
}

std::size_t PropertySet::size() const {
    std::lock_guard lock(mutex_);
    return properties_.size();
}

std::vector<std::string> PropertySet::names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    result.reserve(creationOrder_.size());
    for (const Property* p : creationOrder_) result.push_back(p->name);
    return result;
}

std::vector<std::string> PropertySet::setOrder() const {
    std::lock_guard lock(mutex_);
    return setOrder_;
}

void PropertySet::clearSetOrder() {
    std::lock_guard lock(mutex_);
    setOrder_.clear();
}

}  // namespace horavex::host
