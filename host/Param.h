// Parameters and parameter sets: the objects behind OfxParamHandle and
// OfxParamSetHandle.
//
// A descriptor parameter (made by paramDefine during describe-in-context)
// carries the property set the plug-in fills: default, range, labels,
// parent, options. An instance parameter is a copy of it whose value starts
// at the descriptor's "OfxParamPropDefault".
//
// Values: numeric types hold one double per dimension (integer types hold
// whole numbers), string types one string; Group, Page and PushButton hold
// none. A parameter without keys has one constant value; with keys its value
// at a time follows interpolateKeys (ParamAnimation.h): linear for Double,
// Double2D/3D, RGB, RGBA and, rounded, for Integer, Integer2D/3D; step for
// Boolean, Choice and the string types.
#pragma once

#include "host/ParamAnimation.h"
#include "host/PropertySet.h"
#include "ofxapi/OfxApi.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

class Host;

// Fills a new descriptor parameter's property set with the standard
// properties and defaults for its type (type, name, label, default, range,
// animation and string flags...).
void populateParamDescriptor(PropertySet& props, std::string_view type, std::string_view name);

class Param {
public:
    // A descriptor parameter of a known type; throws std::invalid_argument
    // for an unknown type string.
    Param(Host* host, std::string_view type, std::string_view name);
    // An instance parameter copied from a descriptor, valued at its default.
    Param(Host* host, const Param& descriptor);
    Param(const Param&) = delete;
    Param& operator=(const Param&) = delete;
    ~Param();

    static Param* fromHandle(OfxParamHandle handle);
    OfxParamHandle handle() const;

    Host* host() const;
    const std::string& name() const;
    const std::string& type() const;
    const ParamTypeInfo& info() const;
    PropertySet& props();
    const PropertySet& props() const;

    // Test-facing setters: make the value constant (all keys go). They throw
    // std::logic_error when the parameter's value kind or dimension does not
    // fit (setInt on a Double parameter, setDoubleN with 3 values on RGBA...).
    void setInt(int value);
    void setIntN(const std::vector<int>& values);
    void setDouble(double value);
    void setDoubleN(const std::vector<double>& values);
    void setString(std::string value);
    // Adds or replaces the key at `time` (numbers for numeric types, ints
    // given as whole doubles).
    void addKey(double time, const std::vector<double>& values);
    void addStringKey(double time, std::string value);
    void removeAllKeys();
    // Back to the descriptor's (or this parameter's) "OfxParamPropDefault".
    void resetToDefault();

    // Readers; the same values the plug-in gets from paramGetValueAtTime.
    int intValue(double time = 0) const;
    std::vector<int> intValues(double time = 0) const;
    double doubleValue(double time = 0) const;
    std::vector<double> doubleValues(double time = 0) const;
    std::string stringValue(double time = 0) const;
    std::vector<double> keyTimes() const;
    std::size_t numKeys() const;

    // Suite-level access (no kind checks beyond the value shape).
    std::vector<double> numbersAt(double time) const;
    // Points into the parameter's storage: valid until the value changes.
    const char* stringAt(double time) const;
    // With keys present the value lands on a key at `time`, else it
    // replaces the constant value.
    void setNumbersAt(double time, std::vector<double> values);
    void setStringAt(double time, std::string value);
    void setNumbersKey(double time, std::vector<double> values);
    void setStringKey(double time, std::string value);
    bool deleteKey(double time);
    // paramCopy: the constant value and the keys of `from` (of the same
    // type), keys moved by `offset`; with a range, only keys inside it.
    void copyFrom(const Param& from, double offset, const OfxRangeD* range);

private:
    void requireKind(ParamValueKind kind, std::size_t count) const;
    void normalise(std::vector<double>& values) const;

    Host* host_;
    std::string type_;
    std::string name_;
    ParamTypeInfo info_;
    PropertySet props_;
    mutable std::mutex mutex_;
    std::vector<double> numbers_;
    std::string text_;
    std::map<double, std::vector<double>> numberKeys_;
    std::map<double, std::string> textKeys_;
};

class ParamSet {
public:
    ParamSet(Host* host, bool isDescriptor, std::string tag);
    // The instance set of a descriptor set: every parameter copied in
    // definition order.
    ParamSet(Host* host, const ParamSet& descriptor, std::string tag);
    ParamSet(const ParamSet&) = delete;
    ParamSet& operator=(const ParamSet&) = delete;
    ~ParamSet();

    static ParamSet* fromHandle(OfxParamSetHandle handle);
    OfxParamSetHandle handle() const;
    bool isDescriptor() const;
    PropertySet& props();

    // Host-side definition; throws std::invalid_argument for a duplicate
    // name or an unknown type.
    Param& define(std::string_view type, std::string_view name);
    Param* find(std::string_view name) const;
    // Throws std::out_of_range for an unknown name.
    Param& get(std::string_view name) const;
    // Definition order.
    std::vector<Param*> list() const;
    std::vector<std::string> names() const;
    std::size_t size() const;

    // Open paramEditBegin brackets (paramEditEnd closes one).
    int editDepth() const;
    void beginEdit();
    bool endEdit();

private:
    Host* host_;
    bool isDescriptor_;
    PropertySet props_;
    std::vector<std::unique_ptr<Param>> params_;
    int editDepth_ = 0;
};

}  // namespace horavex::host
