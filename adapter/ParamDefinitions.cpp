#include "adapter/ParamDefinitions.h"

#include "ofxapi/OfxNames.h"
#include "adapter/Exceptions.h"
#include "adapter/PropertyAccess.h"

namespace horavex {

namespace {

const char* orName(const char* text, const char* name) {
    return (text != nullptr && text[0] != '\0') ? text : name;
}

PropertySetRef define(const HostSuites& suites, OfxParamSetHandle paramSet, const char* type, const char* name) {
    OfxPropertySetHandle props = nullptr;
    const OfxStatus status = suites.parameterSuite->paramDefine(paramSet, type, name, &props);
    if (status != kOfxStatOK) {
        throw OfxuStatusException(status);
    }
    return {suites.propertySuite, props};
}

void setCommonTexts(const PropertySetRef& props, const ParamText& text) {
    props.setString(kOfxParamPropHint, 0, orName(text.hint, text.name));
    props.setString(kOfxParamPropScriptName, 0, orName(text.scriptName, text.name));
    props.setString(kOfxPropLabel, 0, orName(text.label, text.name));
    if (text.parent != nullptr && text.parent[0] != '\0') {
        props.setString(kOfxParamPropParent, 0, text.parent);
    }
    props.setInt(kOfxParamPropAnimates, 0, 1);
}

}  // namespace

void defineDoubleParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, double defaultValue,
                       double minimum, double displayMaximum, double increment, const char* doubleType) {
    const PropertySetRef props = define(suites, paramSet, kOfxParamTypeDouble, text.name);
    props.setString(kOfxParamPropDoubleType, 0, doubleType);
    props.setDouble(kOfxParamPropDefault, 0, defaultValue);
    props.setDouble(kOfxParamPropMin, 0, minimum);
    props.setDouble(kOfxParamPropDisplayMin, 0, minimum);
    props.setDouble(kOfxParamPropDisplayMax, 0, displayMaximum);
    props.setDouble(kOfxParamPropIncrement, 0, increment);
    setCommonTexts(props, text);
}

void defineIntParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, int32_t defaultValue,
                    int32_t minimum, int32_t displayMaximum, int32_t increment) {
    const PropertySetRef props = define(suites, paramSet, kOfxParamTypeInteger, text.name);
    props.setInt(kOfxParamPropDefault, 0, defaultValue);
    props.setInt(kOfxParamPropMin, 0, minimum);
    props.setInt(kOfxParamPropDisplayMin, 0, minimum);
    props.setInt(kOfxParamPropDisplayMax, 0, displayMaximum);
    props.setInt(kOfxParamPropIncrement, 0, increment);
    setCommonTexts(props, text);
}

void defineBooleanParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, int defaultValue) {
    const PropertySetRef props = define(suites, paramSet, kOfxParamTypeBoolean, text.name);
    props.setInt(kOfxParamPropDefault, 0, defaultValue);
    setCommonTexts(props, text);
}

void defineRGBAParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text,
                     ColourQuad defaultColour) {
    const PropertySetRef props = define(suites, paramSet, kOfxParamTypeRGBA, text.name);
    props.setString(kOfxParamPropDoubleType, 0, kOfxParamDoubleTypeTime);
    props.setDouble(kOfxParamPropDefault, 0, defaultColour.red);
    props.setDouble(kOfxParamPropDefault, 1, defaultColour.green);
    props.setDouble(kOfxParamPropDefault, 2, defaultColour.blue);
    props.setDouble(kOfxParamPropDefault, 3, defaultColour.alpha);
    setCommonTexts(props, text);
}

}  // namespace horavex
