#include "text_encoding.h"

namespace korvalt {

// POSIX paths are bytes and are printed as they are.
std::string PathToUtf8(PathStringView path) {
    return std::string(path);
}

PathString PathFromUtf8(std::string_view text) {
    return PathString(text);
}

}  // namespace korvalt
