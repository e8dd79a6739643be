// Which sanitizer this translation unit is built with. GCC announces
// AddressSanitizer and ThreadSanitizer with predefined macros, clang only
// through __has_feature, so code asks here instead of either.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HORAVEX_ASAN 1
#endif
#if __has_feature(thread_sanitizer)
#define HORAVEX_TSAN 1
#endif
#endif

#if defined(__SANITIZE_ADDRESS__) && !defined(HORAVEX_ASAN)
#define HORAVEX_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__) && !defined(HORAVEX_TSAN)
#define HORAVEX_TSAN 1
#endif
