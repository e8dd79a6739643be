// The OpenFX action, suite, property and value strings Horavex uses, spelt as the
// standard spells them.
#pragma once

#define HORAVEX_OFX_NAME(id, text) inline constexpr const char id[] = text

// Plug-in API and suites
HORAVEX_OFX_NAME(kOfxImageEffectPluginApi, "OfxImageEffectPluginAPI");
HORAVEX_OFX_NAME(kOfxImageEffectSuite, "OfxImageEffectSuite");
HORAVEX_OFX_NAME(kOfxPropertySuite, "OfxPropertySuite");
HORAVEX_OFX_NAME(kOfxParameterSuite, "OfxParameterSuite");
HORAVEX_OFX_NAME(kOfxMemorySuite, "OfxMemorySuite");
HORAVEX_OFX_NAME(kOfxMultiThreadSuite, "OfxMultiThreadSuite");
HORAVEX_OFX_NAME(kOfxMessageSuite, "OfxMessageSuite");
HORAVEX_OFX_NAME(kOfxInteractSuite, "OfxInteractSuite");
HORAVEX_OFX_NAME(kOfxTimeLineSuite, "OfxTimeLineSuite");

// Actions
HORAVEX_OFX_NAME(kOfxActionLoad, "OfxActionLoad");
HORAVEX_OFX_NAME(kOfxActionUnload, "OfxActionUnload");
HORAVEX_OFX_NAME(kOfxActionDescribe, "OfxActionDescribe");
HORAVEX_OFX_NAME(kOfxImageEffectActionDescribeInContext, "OfxImageEffectActionDescribeInContext");
HORAVEX_OFX_NAME(kOfxActionCreateInstance, "OfxActionCreateInstance");
HORAVEX_OFX_NAME(kOfxActionDestroyInstance, "OfxActionDestroyInstance");
HORAVEX_OFX_NAME(kOfxImageEffectActionIsIdentity, "OfxImageEffectActionIsIdentity");
HORAVEX_OFX_NAME(kOfxImageEffectActionRender, "OfxImageEffectActionRender");
HORAVEX_OFX_NAME(kOfxImageEffectActionGetRegionOfDefinition, "OfxImageEffectActionGetRegionOfDefinition");
HORAVEX_OFX_NAME(kOfxImageEffectActionGetRegionsOfInterest, "OfxImageEffectActionGetRegionsOfInterest");
HORAVEX_OFX_NAME(kOfxImageEffectActionGetClipPreferences, "OfxImageEffectActionGetClipPreferences");
HORAVEX_OFX_NAME(kOfxActionInstanceChanged, "OfxActionInstanceChanged");
HORAVEX_OFX_NAME(kOfxActionBeginInstanceChanged, "OfxActionBeginInstanceChanged");
HORAVEX_OFX_NAME(kOfxActionEndInstanceChanged, "OfxActionEndInstanceChanged");
HORAVEX_OFX_NAME(kOfxImageEffectActionBeginSequenceRender, "OfxImageEffectActionBeginSequenceRender");
HORAVEX_OFX_NAME(kOfxImageEffectActionEndSequenceRender, "OfxImageEffectActionEndSequenceRender");
HORAVEX_OFX_NAME(kOfxActionPurgeCaches, "OfxActionPurgeCaches");

// Contexts, clips, object types, change reasons
HORAVEX_OFX_NAME(kOfxImageEffectContextGenerator, "OfxImageEffectContextGenerator");
HORAVEX_OFX_NAME(kOfxImageEffectContextFilter, "OfxImageEffectContextFilter");
HORAVEX_OFX_NAME(kOfxImageEffectContextGeneral, "OfxImageEffectContextGeneral");
HORAVEX_OFX_NAME(kOfxImageEffectOutputClipName, "Output");
HORAVEX_OFX_NAME(kOfxImageEffectSimpleSourceClipName, "Source");
HORAVEX_OFX_NAME(kOfxTypeImageEffectHost, "OfxTypeImageEffectHost");
HORAVEX_OFX_NAME(kOfxTypeImageEffect, "OfxTypeImageEffect");
HORAVEX_OFX_NAME(kOfxTypeImageEffectInstance, "OfxTypeImageEffectInstance");
HORAVEX_OFX_NAME(kOfxTypeClip, "OfxTypeClip");
HORAVEX_OFX_NAME(kOfxTypeImage, "OfxTypeImage");
HORAVEX_OFX_NAME(kOfxTypeParameter, "OfxTypeParameter");
HORAVEX_OFX_NAME(kOfxChangeUserEdited, "OfxChangeUserEdited");
HORAVEX_OFX_NAME(kOfxChangePluginEdited, "OfxChangePluginEdited");
HORAVEX_OFX_NAME(kOfxChangeTime, "OfxChangeTime");

// Depths, components, premultiplication, fields
HORAVEX_OFX_NAME(kOfxBitDepthNone, "OfxBitDepthNone");
HORAVEX_OFX_NAME(kOfxBitDepthByte, "OfxBitDepthByte");
HORAVEX_OFX_NAME(kOfxBitDepthShort, "OfxBitDepthShort");
HORAVEX_OFX_NAME(kOfxBitDepthHalf, "OfxBitDepthHalf");
HORAVEX_OFX_NAME(kOfxBitDepthFloat, "OfxBitDepthFloat");
HORAVEX_OFX_NAME(kOfxImageComponentNone, "OfxImageComponentNone");
HORAVEX_OFX_NAME(kOfxImageComponentRGBA, "OfxImageComponentRGBA");
HORAVEX_OFX_NAME(kOfxImageComponentRGB, "OfxImageComponentRGB");
HORAVEX_OFX_NAME(kOfxImageComponentAlpha, "OfxImageComponentAlpha");
HORAVEX_OFX_NAME(kOfxImageOpaque, "OfxImageOpaque");
HORAVEX_OFX_NAME(kOfxImagePreMultiplied, "OfxImageAlphaPremultiplied");
HORAVEX_OFX_NAME(kOfxImageUnPreMultiplied, "OfxImageAlphaUnPremultiplied");
HORAVEX_OFX_NAME(kOfxImageFieldNone, "OfxFieldNone");
HORAVEX_OFX_NAME(kOfxImageFieldLower, "OfxFieldLower");
HORAVEX_OFX_NAME(kOfxImageFieldUpper, "OfxFieldUpper");
HORAVEX_OFX_NAME(kOfxImageFieldBoth, "OfxFieldBoth");

// Generic and effect properties
HORAVEX_OFX_NAME(kOfxPropType, "OfxPropType");
HORAVEX_OFX_NAME(kOfxPropName, "OfxPropName");
HORAVEX_OFX_NAME(kOfxPropLabel, "OfxPropLabel");
HORAVEX_OFX_NAME(kOfxPropTime, "OfxPropTime");
HORAVEX_OFX_NAME(kOfxPropInstanceData, "OfxPropInstanceData");
HORAVEX_OFX_NAME(kOfxPropChangeReason, "OfxPropChangeReason");
HORAVEX_OFX_NAME(kOfxPluginPropFilePath, "OfxPluginPropFilePath");
HORAVEX_OFX_NAME(kOfxImageEffectPropSupportedContexts, "OfxImageEffectPropSupportedContexts");
HORAVEX_OFX_NAME(kOfxImageEffectPropSupportedPixelDepths, "OfxImageEffectPropSupportedPixelDepths");
HORAVEX_OFX_NAME(kOfxImageEffectPropSupportedComponents, "OfxImageEffectPropSupportedComponents");
HORAVEX_OFX_NAME(kOfxImageEffectPluginPropGrouping, "OfxImageEffectPluginPropGrouping");
HORAVEX_OFX_NAME(kOfxImageEffectPluginRenderThreadSafety, "OfxImageEffectPluginRenderThreadSafety");
HORAVEX_OFX_NAME(kOfxImageEffectPropSupportsTiles, "OfxImageEffectPropSupportsTiles");
HORAVEX_OFX_NAME(kOfxImageEffectPluginPropHostFrameThreading, "OfxImageEffectPluginPropHostFrameThreading");
HORAVEX_OFX_NAME(kOfxImageEffectRenderFullySafe, "OfxImageEffectRenderFullySafe");
HORAVEX_OFX_NAME(kOfxImageEffectPropSupportsMultipleClipDepths, "OfxImageEffectPropMultipleClipDepths");
HORAVEX_OFX_NAME(kOfxImageEffectPluginPropFieldRenderTwiceAlways, "OfxImageEffectPluginPropFieldRenderTwiceAlways");
HORAVEX_OFX_NAME(kOfxImageEffectFrameVarying, "OfxImageEffectFrameVarying");
HORAVEX_OFX_NAME(kOfxImageEffectPropContext, "OfxImageEffectPropContext");
HORAVEX_OFX_NAME(kOfxImageEffectPropFrameRate, "OfxImageEffectPropFrameRate");
// The project of an effect instance, canonical coordinates (the macro and the
// value of the project's pixel aspect ratio differ in the standard).
HORAVEX_OFX_NAME(kOfxImageEffectPropProjectSize, "OfxImageEffectPropProjectSize");
HORAVEX_OFX_NAME(kOfxImageEffectPropProjectOffset, "OfxImageEffectPropProjectOffset");
HORAVEX_OFX_NAME(kOfxImageEffectPropProjectExtent, "OfxImageEffectPropProjectExtent");
HORAVEX_OFX_NAME(kOfxImageEffectPropProjectPixelAspectRatio, "OfxImageEffectPropPixelAspectRatio");
HORAVEX_OFX_NAME(kOfxImageEffectPropPixelDepth, "OfxImageEffectPropPixelDepth");
HORAVEX_OFX_NAME(kOfxImageEffectPropComponents, "OfxImageEffectPropComponents");
HORAVEX_OFX_NAME(kOfxImageEffectPropPreMultiplication, "OfxImageEffectPropPreMultiplication");
HORAVEX_OFX_NAME(kOfxImagePropPixelAspectRatio, "OfxImagePropPixelAspectRatio");
HORAVEX_OFX_NAME(kOfxImagePropData, "OfxImagePropData");
HORAVEX_OFX_NAME(kOfxImagePropBounds, "OfxImagePropBounds");
HORAVEX_OFX_NAME(kOfxImagePropRegionOfDefinition, "OfxImagePropRegionOfDefinition");
HORAVEX_OFX_NAME(kOfxImagePropRowBytes, "OfxImagePropRowBytes");
HORAVEX_OFX_NAME(kOfxImagePropField, "OfxImagePropField");
HORAVEX_OFX_NAME(kOfxImageEffectPropRenderScale, "OfxImageEffectPropRenderScale");
HORAVEX_OFX_NAME(kOfxImageEffectPropRenderWindow, "OfxImageEffectPropRenderWindow");
HORAVEX_OFX_NAME(kOfxImageEffectPropRegionOfDefinition, "OfxImageEffectPropRegionOfDefinition");
HORAVEX_OFX_NAME(kOfxImageEffectPropRegionOfInterest, "OfxImageEffectPropRegionOfInterest");
HORAVEX_OFX_NAME(kOfxImageEffectPropFieldToRender, "OfxImageEffectPropFieldToRender");
HORAVEX_OFX_NAME(kOfxImageClipPropConnected, "OfxImageClipPropConnected");
// The out-argument of the regions-of-interest action for the clip "Source".
HORAVEX_OFX_NAME(kOfxImageClipPropRoI_Source, "OfxImageClipPropRoI_Source");

// Parameter types
HORAVEX_OFX_NAME(kOfxParamTypeInteger, "OfxParamTypeInteger");
HORAVEX_OFX_NAME(kOfxParamTypeDouble, "OfxParamTypeDouble");
HORAVEX_OFX_NAME(kOfxParamTypeBoolean, "OfxParamTypeBoolean");
HORAVEX_OFX_NAME(kOfxParamTypeChoice, "OfxParamTypeChoice");
HORAVEX_OFX_NAME(kOfxParamTypeRGBA, "OfxParamTypeRGBA");
HORAVEX_OFX_NAME(kOfxParamTypeDouble2D, "OfxParamTypeDouble2D");
HORAVEX_OFX_NAME(kOfxParamTypeString, "OfxParamTypeString");
HORAVEX_OFX_NAME(kOfxParamTypeGroup, "OfxParamTypeGroup");
HORAVEX_OFX_NAME(kOfxParamTypePushButton, "OfxParamTypePushButton");

// Parameter properties and values
HORAVEX_OFX_NAME(kOfxParamPropType, "OfxParamPropType");
HORAVEX_OFX_NAME(kOfxParamPropDefault, "OfxParamPropDefault");
HORAVEX_OFX_NAME(kOfxParamPropMin, "OfxParamPropMin");
HORAVEX_OFX_NAME(kOfxParamPropMax, "OfxParamPropMax");
HORAVEX_OFX_NAME(kOfxParamPropDisplayMin, "OfxParamPropDisplayMin");
HORAVEX_OFX_NAME(kOfxParamPropDisplayMax, "OfxParamPropDisplayMax");
HORAVEX_OFX_NAME(kOfxParamPropIncrement, "OfxParamPropIncrement");
HORAVEX_OFX_NAME(kOfxParamPropDoubleType, "OfxParamPropDoubleType");
HORAVEX_OFX_NAME(kOfxParamPropDefaultCoordinateSystem, "OfxParamPropDefaultCoordinateSystem");
// Its value really starts with a "k".
HORAVEX_OFX_NAME(kOfxParamPropUseHostOverlayHandle, "kOfxParamPropUseHostOverlayHandle");
HORAVEX_OFX_NAME(kOfxParamPropChoiceOption, "OfxParamPropChoiceOption");
HORAVEX_OFX_NAME(kOfxParamPropStringMode, "OfxParamPropStringMode");
HORAVEX_OFX_NAME(kOfxParamPropParent, "OfxParamPropParent");
HORAVEX_OFX_NAME(kOfxParamPropAnimates, "OfxParamPropAnimates");
HORAVEX_OFX_NAME(kOfxParamPropSecret, "OfxParamPropSecret");
HORAVEX_OFX_NAME(kOfxParamPropHint, "OfxParamPropHint");
HORAVEX_OFX_NAME(kOfxParamPropScriptName, "OfxParamPropScriptName");
HORAVEX_OFX_NAME(kOfxParamPropEnabled, "OfxParamPropEnabled");
HORAVEX_OFX_NAME(kOfxParamDoubleTypePlain, "OfxParamDoubleTypePlain");
HORAVEX_OFX_NAME(kOfxParamDoubleTypeScale, "OfxParamDoubleTypeScale");
HORAVEX_OFX_NAME(kOfxParamDoubleTypeTime, "OfxParamDoubleTypeTime");
HORAVEX_OFX_NAME(kOfxParamDoubleTypeXYAbsolute, "OfxParamDoubleTypeXYAbsolute");
HORAVEX_OFX_NAME(kOfxParamCoordinatesCanonical, "OfxParamCoordinatesCanonical");
HORAVEX_OFX_NAME(kOfxParamCoordinatesNormalised, "OfxParamCoordinatesNormalised");
HORAVEX_OFX_NAME(kOfxParamStringIsSingleLine, "OfxParamStringIsSingleLine");
HORAVEX_OFX_NAME(kOfxParamStringIsMultiLine, "OfxParamStringIsMultiLine");

// Messages
HORAVEX_OFX_NAME(kOfxMessageFatal, "OfxMessageFatal");
HORAVEX_OFX_NAME(kOfxMessageError, "OfxMessageError");
HORAVEX_OFX_NAME(kOfxMessageWarning, "OfxMessageWarning");
HORAVEX_OFX_NAME(kOfxMessageMessage, "OfxMessageMessage");
HORAVEX_OFX_NAME(kOfxMessageLog, "OfxMessageLog");

#undef HORAVEX_OFX_NAME
