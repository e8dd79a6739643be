// Named, typed, vector-valued properties: the objects behind every
// OfxPropertySetHandle the host hands out (host, effect, clip, parameter,
// image and action-argument sets).
//
// Status rules, shared by the C property suite and the status-returning
// members below:
//   - unknown property on a get, reset or dimension query: kOfxStatErrUnknown;
//   - a set on an unknown name creates the property when allowCreate() is
//     true (the default; host-built read-only sets switch it off), else
//     kOfxStatErrUnknown;
//   - a value of another type than the property's: kOfxStatErrValue;
//   - index < 0 or > dimension: kOfxStatErrBadIndex; a set at index ==
//     dimension appends (a new property can only be created at index 0);
//   - getN with count > dimension: kOfxStatErrBadIndex; setN writes indices
//     0..count-1, growing the property and leaving higher indices alone;
//   - a null output pointer, a null string value or a null value array with
//     a positive count: kOfxStatErrValue.
// Strings returned by getters stay valid until that property changes.
#pragma once

#include "ofxapi/OfxApi.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace horavex::host {

class Host;

enum class PropertyType { Int, Double, String, Pointer };

const char* propertyTypeName(PropertyType type);

class PropertySet {
public:
    // `tag` names the set in the call log and in property faults, e.g.
    // "OfxTypeClip:Output" or "inArgs:OfxImageEffectActionRender".
    explicit PropertySet(std::string tag = {}, bool allowCreate = true);
    // A copy is a new, separately registered set with the same properties,
    // tag, owner and creation switch; its set order starts empty.
    PropertySet(const PropertySet& other);
    PropertySet& operator=(const PropertySet& other);
    ~PropertySet();

    OfxPropertySetHandle handle() const;
    // The set behind a handle, or null when the handle is not a live set.
    static PropertySet* fromHandle(OfxPropertySetHandle handle);

    bool allowCreate() const;
    void setAllowCreate(bool allow);
    const std::string& tag() const;
    void setTag(std::string tag);
    // The host whose call log and faults apply to suite calls on this set.
    Host* host() const;
    void setHost(Host* host);

    // Host-side definitions: create or replace a whole property; the values
    // given become what propReset restores. Not recorded in setOrder().
    void defineInt(std::string_view name, std::vector<int> values);
    void defineDouble(std::string_view name, std::vector<double> values);
    void defineString(std::string_view name, std::vector<std::string> values);
    void definePointer(std::string_view name, std::vector<void*> values);
    bool remove(std::string_view name);
    // Drops every property (and the set order); the set itself and its
    // handle's address stay.
    void clear();

    // Suite semantics (see the rules above); every successful set records
    // the name in setOrder().
    OfxStatus setInt(std::string_view name, int index, int value);
    OfxStatus setDouble(std::string_view name, int index, double value);
    OfxStatus setString(std::string_view name, int index, const char* value);
    OfxStatus setPointer(std::string_view name, int index, void* value);
    OfxStatus setIntN(std::string_view name, int count, const int* values);
    OfxStatus setDoubleN(std::string_view name, int count, const double* values);
    OfxStatus setStringN(std::string_view name, int count, const char* const* values);
    OfxStatus setPointerN(std::string_view name, int count, void* const* values);

    OfxStatus queryInt(std::string_view name, int index, int* out) const;
    OfxStatus queryDouble(std::string_view name, int index, double* out) const;
    OfxStatus queryString(std::string_view name, int index, char** out) const;
    OfxStatus queryPointer(std::string_view name, int index, void** out) const;
    OfxStatus queryIntN(std::string_view name, int count, int* out) const;
    OfxStatus queryDoubleN(std::string_view name, int count, double* out) const;
    OfxStatus queryStringN(std::string_view name, int count, char** out) const;
    OfxStatus queryPointerN(std::string_view name, int count, void** out) const;
    OfxStatus queryDimension(std::string_view name, int* out) const;
    OfxStatus reset(std::string_view name);

    // Test conveniences. The getters throw std::out_of_range for an unknown
    // property or index and std::logic_error for a property of another type.
    int getInt(std::string_view name, int index = 0) const;
    double getDouble(std::string_view name, int index = 0) const;
    std::string getString(std::string_view name, int index = 0) const;
    void* getPointer(std::string_view name, int index = 0) const;
    std::vector<int> getInts(std::string_view name) const;
    std::vector<double> getDoubles(std::string_view name) const;
    std::vector<std::string> getStrings(std::string_view name) const;
    // -1 for an unknown property.
    int dimension(std::string_view name) const;
    bool has(std::string_view name) const;
    std::optional<PropertyType> type(std::string_view name) const;
    std::size_t size() const;
    // Every property, in the order it came into existence.
    std::vector<std::string> names() const;
    // Names in the order they were first written with suite semantics
    // (through the C suite or the set* members), defines excluded.
    std::vector<std::string> setOrder() const;
    void clearSetOrder();

private:
    using Values = std::variant<std::vector<int>, std::vector<double>, std::vector<std::string>,
                                std::vector<void*>>;
    struct Property {
        std::string name;
        Values values;
        Values defaults;
    };

    template <class T>
    OfxStatus setAt(std::string_view name, int index, T value);
    template <class T, class In>
    OfxStatus setMany(std::string_view name, int count, const In* values);
    template <class T, class Out>
    OfxStatus queryAt(std::string_view name, int index, Out* out) const;
    template <class T, class Out>
    OfxStatus queryMany(std::string_view name, int count, Out* out) const;
    template <class T>
    std::vector<T> getAll(std::string_view name) const;
    template <class T>
    T getOne(std::string_view name, int index) const;
    void defineValues(std::string_view name, Values values);

    const Property* find(std::string_view name) const;
    Property* find(std::string_view name);
    void noteSet(std::string_view name);
    void copyFrom(const PropertySet& other);

    mutable std::mutex mutex_;
    std::string tag_;
    bool allowCreate_ = true;
    Host* host_ = nullptr;
    std::map<std::string, std::unique_ptr<Property>, std::less<>> properties_;
    std::vector<const Property*> creationOrder_;
    std::vector<std::string> setOrder_;
};

}  // namespace horavex::host
