// The record of every suite call a plug-in makes into the host, in call order,
// so tests can assert which calls were made, how often and in which order.
#pragma once

#include "ofxapi/OfxApi.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::host {

struct CallRecord {
    // Suite member name as the standard spells it, e.g. "propGetString".
    std::string function;
    // The call's main string argument: the property, parameter, clip or
    // suite name; the message type for messages; empty when there is none.
    std::string argument;
    // What the call acted on: the tag of the property set (see
    // PropertySet::tag), the parameter or clip name, "" when unknown.
    std::string target;
    // The status returned; for int-returning members (abort,
    // multiThreadIsSpawnedThread) the returned value.
    OfxStatus status = kOfxStatOK;
};

class CallLog {
public:
    void record(std::string_view function, std::string_view argument, std::string_view target,
                OfxStatus status);

    // Benchmarks switch recording off to measure the plug-in, not the log.
    void setEnabled(bool enabled);
    bool enabled() const;

    void clear();
    std::size_t size() const;
    std::vector<CallRecord> records() const;
    std::vector<CallRecord> matching(std::string_view function) const;

    std::size_t count(std::string_view function) const;
    std::size_t count(std::string_view function, std::string_view argument) const;
    // Main arguments of every call of `function`, in call order.
    std::vector<std::string> arguments(std::string_view function) const;
    // Position of the first call of `function` with `argument` at or after
    // `from`; for order assertions.
    std::optional<std::size_t> indexOf(std::string_view function, std::string_view argument,
                                       std::size_t from = 0) const;

private:
    mutable std::mutex mutex_;
    std::atomic<bool> enabled_{true};
    std::vector<CallRecord> records_;
};

}  // namespace horavex::host
