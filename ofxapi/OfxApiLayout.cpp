// Compile-time checks that our declarations match the standard's binary layout
// on x86-64 (LP64). Nothing here runs.
#include "ofxapi/OfxApi.h"

#include <cstddef>

#if defined(__x86_64__) || defined(_M_X64) || defined(__aarch64__)
#define HORAVEX_CHECK_SIZE(T, n) static_assert(sizeof(T) == (n), #T " has the wrong size")
#define HORAVEX_CHECK_OFFSET(T, m, n) static_assert(offsetof(T, m) == (n), #T "::" #m " is misplaced")

HORAVEX_CHECK_SIZE(OfxRangeI, 8);
HORAVEX_CHECK_SIZE(OfxRangeD, 16);
HORAVEX_CHECK_SIZE(OfxPointI, 8);
HORAVEX_CHECK_SIZE(OfxPointD, 16);
HORAVEX_CHECK_SIZE(OfxRectI, 16);
HORAVEX_CHECK_OFFSET(OfxRectI, x2, 8);
HORAVEX_CHECK_SIZE(OfxRectD, 32);
HORAVEX_CHECK_OFFSET(OfxRectD, y2, 24);
HORAVEX_CHECK_SIZE(OfxRGBAColourB, 4);
HORAVEX_CHECK_SIZE(OfxRGBAColourS, 8);
HORAVEX_CHECK_SIZE(OfxRGBAColourF, 16);
HORAVEX_CHECK_SIZE(OfxRGBAColourD, 32);
static_assert(alignof(OfxRGBAColourB) == 1 && alignof(OfxRGBAColourS) == 2 && alignof(OfxRGBAColourF) == 4);

HORAVEX_CHECK_SIZE(OfxHost, 16);
HORAVEX_CHECK_OFFSET(OfxHost, fetchSuite, 8);
HORAVEX_CHECK_SIZE(OfxPlugin, 48);
HORAVEX_CHECK_OFFSET(OfxPlugin, apiVersion, 8);
HORAVEX_CHECK_OFFSET(OfxPlugin, pluginIdentifier, 16);
HORAVEX_CHECK_OFFSET(OfxPlugin, pluginVersionMajor, 24);
HORAVEX_CHECK_OFFSET(OfxPlugin, pluginVersionMinor, 28);
HORAVEX_CHECK_OFFSET(OfxPlugin, setHost, 32);
HORAVEX_CHECK_OFFSET(OfxPlugin, mainEntry, 40);

HORAVEX_CHECK_SIZE(OfxPropertySuiteV1, 144);
HORAVEX_CHECK_OFFSET(OfxPropertySuiteV1, propGetPointer, 64);
HORAVEX_CHECK_OFFSET(OfxPropertySuiteV1, propGetIntN, 120);
HORAVEX_CHECK_OFFSET(OfxPropertySuiteV1, propGetDimension, 136);
HORAVEX_CHECK_SIZE(OfxImageEffectSuiteV1, 104);
HORAVEX_CHECK_OFFSET(OfxImageEffectSuiteV1, clipGetImage, 40);
HORAVEX_CHECK_OFFSET(OfxImageEffectSuiteV1, abort, 64);
HORAVEX_CHECK_SIZE(OfxParameterSuiteV1, 144);
HORAVEX_CHECK_OFFSET(OfxParameterSuiteV1, paramGetValue, 32);
HORAVEX_CHECK_OFFSET(OfxParameterSuiteV1, paramSetValue, 64);
HORAVEX_CHECK_OFFSET(OfxParameterSuiteV1, paramEditEnd, 136);
HORAVEX_CHECK_SIZE(OfxMemorySuiteV1, 16);
HORAVEX_CHECK_SIZE(OfxMultiThreadSuiteV1, 72);
HORAVEX_CHECK_OFFSET(OfxMultiThreadSuiteV1, mutexUnLock, 56);
HORAVEX_CHECK_SIZE(OfxMessageSuiteV1, 8);
HORAVEX_CHECK_SIZE(OfxInteractSuiteV1, 24);
HORAVEX_CHECK_SIZE(OfxTimeLineSuiteV1, 24);
#endif
