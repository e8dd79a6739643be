// The live-handle table behind HandleRegistry.h.
#include "host/HandleRegistry.h"

#include <mutex>
#include <unordered_map>

namespace horavex::host::detail {
namespace {

struct Entry {
    HandleKind kind;
    Host* owner;
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<const void*, Entry> entries;
};

// Never destroyed: objects with static storage may unregister during exit,
// after function-local statics would already be gone.
Registry& registry() {
    static Registry* const instance = new Registry;
    return *instance;
}

}  // namespace

void registerHandle(const void* object, HandleKind kind, Host* owner) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.entries[object] = Entry{kind, owner};
}

void unregisterHandle(const void* object) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.entries.erase(object);
}

void setHandleOwner(const void* object, Host* owner) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(object);
    if (it != r.entries.end()) it->second.owner = owner;
}

bool isLiveHandle(const void* object, HandleKind kind) {
    if (object == nullptr) return false;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(object);
    return it != r.entries.end() && it->second.kind == kind;
}

bool lookupHandle(const void* object, HandleKind kind, Host*& owner) {
    owner = nullptr;
    if (object == nullptr) return false;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(object);
    if (it == r.entries.end() || it->second.kind != kind) return false;
    owner = it->second.owner;
    return true;
}

}  // namespace horavex::host::detail
