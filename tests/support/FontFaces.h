// Which face the platform's font engine draws for a family name, for tests
// that print it or skip when a face is missing.
#pragma once

#include <string>
#include <string_view>

namespace horavex::testing {

// Linux: the family fontconfig matches (an alias such as "Arial" gives the
// face bound to it). Windows: the name itself when a face of that family is
// installed (or replaced, as Wine replaces "Arial"), else an empty string.
std::string matchedFontFamily(std::string_view family);

}  // namespace horavex::testing
