// OfxMessageSuiteV1: formats and records every message.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/Suites.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace horavex::host {
namespace {

OfxStatus message(void* handle, const char* messageType, const char* messageId, const char* format, ...) {
    Host* owner = nullptr;
    detail::lookupHandle(handle, HandleKind::ImageEffect, owner);
    Host* host = Host::resolve(owner);
    const std::string type = messageType != nullptr ? messageType : "";
    const std::string id = messageId != nullptr ? messageId : "";
    if (host == nullptr) return kOfxStatErrBadHandle;
    if (format == nullptr || messageType == nullptr) return host->record("message", type, id, kOfxStatErrValue);

    va_list ap;
    va_start(ap, format);
    va_list measure;
    va_copy(measure, ap);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, ap);
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(ap);
    if (length < 0) return host->record("message", type, id, kOfxStatErrFormat);

    host->messages().record(Message{handle, type, id, text});
    const OfxStatus status =
        std::strcmp(messageType, "OfxMessageQuestion") == 0 ? host->messages().questionReply() : kOfxStatOK;
    return host->record("message", type, id, status);
}

constexpr OfxMessageSuiteV1 kSuite = {message};

}  // namespace

const OfxMessageSuiteV1* messageSuite() { return &kSuite; }

}  // namespace horavex::host
