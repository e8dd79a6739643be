// The OFX suites the host offers, version 1 each. Host::fetchSuite hands
// these out to plug-ins; tests may call them directly to act as a plug-in.
// Every call is recorded in the owning host's CallLog. Memory blocks, image
// memory and mutexes carry no host: their calls, and calls on null or
// unknown handles, go to Host::current().
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex::host {

const OfxPropertySuiteV1* propertySuite();
const OfxImageEffectSuiteV1* imageEffectSuite();
// Variadic value conventions: Integer, Boolean, Choice: int (int* to get);
// Double: double; RGBA: 4 doubles; RGB, Double3D: 3; Double2D: 2;
// Integer2D/3D: 2/3 ints; String, Custom, StrChoice: const char* (const
// char** to get, pointing into the parameter's storage, valid until the
// value changes). Group, Page, PushButton carry no value: kOfxStatErrUnknown.
// paramGetValue reads at the time line's current time; paramSetValue writes
// the constant value, or a key at the current time once the parameter has
// keys; paramSetValueAtTime always writes a key. Derivatives and integrals
// answer kOfxStatErrUnsupported.
const OfxParameterSuiteV1* parameterSuite();
const OfxMemorySuiteV1* memorySuite();
const OfxMultiThreadSuiteV1* multiThreadSuite();
// True on a thread the multi-thread suite runs a plug-in's function on.
bool onSuiteThread();
const OfxMessageSuiteV1* messageSuite();
// No interacts exist in this host: every handle is bad.
const OfxInteractSuiteV1* interactSuite();
const OfxTimeLineSuiteV1* timeLineSuite();

}  // namespace horavex::host
