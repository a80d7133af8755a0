// Native path strings: UTF-16 on Windows, bytes (normally UTF-8) on POSIX.
#pragma once

#include <string>
#include <string_view>

namespace korvalt {

#ifdef _WIN32
using PathChar = wchar_t;
#define KORVALT_PATH(text) L##text
#else
using PathChar = char;
#define KORVALT_PATH(text) text
#endif

using PathString = std::basic_string<PathChar>;
using PathStringView = std::basic_string_view<PathChar>;

}  // namespace korvalt
