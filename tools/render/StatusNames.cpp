#include "tools/render/StatusNames.h"

#include "tools/render/ValueParsing.h"

namespace horavex::cli {

std::string describeStatus(OfxStatus status) {
    const char* name = nullptr;
    switch (status) {
        case kOfxStatOK: name = "kOfxStatOK"; break;
        case kOfxStatFailed: name = "kOfxStatFailed"; break;
        case kOfxStatErrFatal: name = "kOfxStatErrFatal"; break;
        case kOfxStatErrUnknown: name = "kOfxStatErrUnknown"; break;
        case kOfxStatErrMissingHostFeature: name = "kOfxStatErrMissingHostFeature"; break;
        case kOfxStatErrUnsupported: name = "kOfxStatErrUnsupported"; break;
        case kOfxStatErrExists: name = "kOfxStatErrExists"; break;
        case kOfxStatErrFormat: name = "kOfxStatErrFormat"; break;
        case kOfxStatErrMemory: name = "kOfxStatErrMemory"; break;
        case kOfxStatErrBadHandle: name = "kOfxStatErrBadHandle"; break;
        case kOfxStatErrBadIndex: name = "kOfxStatErrBadIndex"; break;
        case kOfxStatErrValue: name = "kOfxStatErrValue"; break;
        case kOfxStatReplyYes: name = "kOfxStatReplyYes"; break;
        case kOfxStatReplyNo: name = "kOfxStatReplyNo"; break;
        case kOfxStatReplyDefault: name = "kOfxStatReplyDefault"; break;
        case kOfxStatErrImageFormat: name = "kOfxStatErrImageFormat"; break;
        default: return joinText({"status ", std::to_string(status)});
    }
    return joinText({name, " (", std::to_string(status), ")"});
}

}  // namespace horavex::cli
