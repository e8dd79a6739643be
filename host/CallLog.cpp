// Storage and queries of the suite call log.
#include "host/CallLog.h"

namespace horavex::host {

void CallLog::record(std::string_view function, std::string_view argument, std::string_view target,
                     OfxStatus status) {
    if (!enabled_.load(std::memory_order_relaxed)) return;
    std::lock_guard lock(mutex_);
    records_.push_back(CallRecord{std::string(function), std::string(argument), std::string(target), status});
}

void CallLog::setEnabled(bool enabled) {
    enabled_.store(enabled, std::memory_order_relaxed);
}

bool CallLog::enabled() const {
    return enabled_.load(std::memory_order_relaxed);
}

void CallLog::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

std::size_t CallLog::size() const {
    std::lock_guard lock(mutex_);
    return records_.size();
}

std::vector<CallRecord> CallLog::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::vector<CallRecord> CallLog::matching(std::string_view function) const {
    std::lock_guard lock(mutex_);
    std::vector<CallRecord> result;
    for (const CallRecord& r : records_) {
        if (r.function == function) result.push_back(r);
    }
    return result;
}

std::size_t CallLog::count(std::string_view function) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const CallRecord& r : records_) {
        if (r.function == function) ++n;
    }
    return n;
}

std::size_t CallLog::count(std::string_view function, std::string_view argument) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const CallRecord& r : records_) {
        if (r.function == function && r.argument == argument) ++n;
    }
    return n;
}

std::vector<std::string> CallLog::arguments(std::string_view function) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    for (const CallRecord& r : records_) {
        if (r.function == function) result.push_back(r.argument);
    }
    return result;
}

std::optional<std::size_t> CallLog::indexOf(std::string_view function, std::string_view argument,
                                            std::size_t from) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = from; i < records_.size(); ++i) {
        if (records_[i].function == function && records_[i].argument == argument) return i;
    }
    return std::nullopt;
}

}  // namespace horavex::host
