#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "core/fontchooser/FontChooser.h"
#include "core/fontchooser/FontChooserProcess.h"

namespace horavex {
namespace {

// The folder of the binary this function lives in: the plug-in's own
// Contents/Linux-x86-64, wherever the host found the bundle.
std::string ownBinaryFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ownBinaryFolder), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string chooserProgram() {
    const char* override = std::getenv(kFontChooserOverrideVariable);
    if (override != nullptr && *override != '\0') {
        return override;
    }
    const std::string folder = ownBinaryFolder();
    return folder.empty() ? std::string() : folder + "/" + kFontChooserProgramName;
}

}  // namespace

FontChooserOutcome chooseFont(LogFont& font) {
    const std::string program = chooserProgram();
    if (program.empty()) {
        return FontChooserOutcome::Unavailable;
    }
    const FontChooserAnswer answer = runFontChooserProgram(program, fontChoiceFrom(font));
    if (answer.outcome == FontChooserOutcome::Chosen) {
        applyFontChoice(answer.choice, font);
    }
    return answer.outcome;
}

}  // namespace horavex
