// Conversions between native paths and the UTF-8 that Korvalt prints.
#pragma once

#include <string>
#include <string_view>

#include "path_string.h"

namespace korvalt {

std::string PathToUtf8(PathStringView path);
PathString PathFromUtf8(std::string_view text);

}  // namespace korvalt
