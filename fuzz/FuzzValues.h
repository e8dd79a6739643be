// Numbers drawn from a fuzz input the way a stranger host may hand them over:
// anything at all, mostly-sane ranges, whole numbers, and raw bit patterns
// (NaNs and infinities among them).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace horavex::fuzz {

struct DoubleRange {
    double low;
    double high;
};

// One of: any double; a value in one of `ranges` (one choice each); an
// int32 as a double; eight raw bytes.
inline double anyDouble(FuzzedDataProvider& in, std::initializer_list<DoubleRange> ranges) {
    const int count = static_cast<int>(ranges.size());
    const int choice = in.ConsumeIntegralInRange(0, count + 2);
    if (choice == 0) {
        return in.ConsumeFloatingPoint<double>();
    }
    if (choice <= count) {
        const DoubleRange range = *(ranges.begin() + (choice - 1));
        return in.ConsumeFloatingPointInRange(range.low, range.high);
    }
    if (choice == count + 1) {
        return static_cast<double>(in.ConsumeIntegral<int32_t>());
    }
    double raw = 0;
    const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(sizeof raw);
    if (!bytes.empty()) {
        std::memcpy(&raw, bytes.data(), bytes.size());
    }
    return raw;
}

}  // namespace horavex::fuzz
