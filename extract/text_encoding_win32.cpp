#include <windows.h>

#include <climits>

#include "text_encoding.h"

namespace korvalt {

// Windows paths are UTF-16; an unpaired surrogate becomes U+FFFD when printed.
std::string PathToUtf8(PathStringView path) {
    if (path.empty() || path.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int units = static_cast<int>(path.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, path.data(), units, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.data(), units, text.data(), length, nullptr, nullptr);
    return text;
}

PathString PathFromUtf8(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int bytes = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    PathString path(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, path.data(), length);
    return path;
}

}  // namespace korvalt
