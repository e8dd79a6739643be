// The text of --list-params: the parameter set laid out as a host's panel
// shows it, groups with their members indented beneath them.
#pragma once

#include <string>
#include <vector>

#include "tools/render/ParamValues.h"

namespace horavex::cli {

// `title` opens the text (e.g. the plug-in and context); `params` in
// definition order. Members follow their group in definition order; a
// member whose group does not exist is shown at the top level.
std::string formatParamPanel(const std::string& title, const std::vector<ParamDescription>& params);

}  // namespace horavex::cli
