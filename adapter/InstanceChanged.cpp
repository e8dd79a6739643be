#include "adapter/InstanceChanged.h"

#include <string>

#include "ofxapi/OfxNames.h"
#include "core/fontchooser/FontChooser.h"
#include "adapter/FontParam.h"
#include "core/values/FontString.h"
#include "adapter/ParamNames.h"
#include "adapter/EffectAccess.h"
#include "adapter/HostSuites.h"

namespace horavex {
namespace {

void reportNoFontDialog(const HostSuites& suites, OfxImageEffectHandle effect) {
    if (suites.messageSuite == nullptr || suites.messageSuite->message == nullptr) {
        return;
    }
    // The text goes in as an argument, never as the format.
    suites.messageSuite->message(effect, kOfxMessageError, "Horavex.NoFontDialog", "%s", kNoFontDialogMessage);
}

}  // namespace

OfxStatus instanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle) {
    const HostSuites& suites = hostSuites();
    const PropertySetRef args = EffectRef(suites, effect).wrap(inArgs);
    if (args.getString(kOfxPropChangeReason, 0) != kOfxChangeUserEdited) {
        return kOfxStatReplyDefault;
    }
    const bool isParameter = args.getString(kOfxPropType, 0) == kOfxTypeParameter;
    const std::string name = args.getString(kOfxPropName, 0);
    if (!isParameter || name != param::kButtonFont) {
        return kOfxStatReplyDefault;
    }

    LogFont font{};
    readFont(suites, effect, font);
    if (font.lfHeight == 0) {
        font = dialogDefaultFont();
    }
    // A cancelled chooser leaves `font` as it started, and that is written
    // back too, re-encoded. When no chooser could open, the user is told and
    // the host learns that the button did nothing.
    const bool opened = chooseFont(font) != FontChooserOutcome::Unavailable;
    if (!opened) {
        reportNoFontDialog(suites, effect);
    }
    writeFont(suites, effect, font);
    return opened ? kOfxStatOK : kOfxStatFailed;
}

}  // namespace horavex
