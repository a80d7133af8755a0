#include "path_rules.h"

#include <cstdio>

namespace korvalt {
namespace {

template <class Ch>
constexpr bool IsBlank(Ch c) noexcept {
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\n') || c == Ch('\v') || c == Ch('\f') ||
           c == Ch('\r');
}

template <class Ch>
constexpr bool IsSeparator(Ch c, PathSyntax syntax) noexcept {
    return c == Ch('/') || (syntax == PathSyntax::Windows && c == Ch('\\'));
}

template <class Ch>
constexpr Ch PreferredSeparator(PathSyntax syntax) noexcept {
    return syntax == PathSyntax::Windows ? Ch('\\') : Ch('/');
}

template <class Ch>
constexpr bool IsDriveLetter(Ch c) noexcept {
    return (c >= Ch('A') && c <= Ch('Z')) || (c >= Ch('a') && c <= Ch('z'));
}

// Length of the part of the path that is never removed: "C:\", "C:", "\\server\share",
// a leading separator, or nothing.
template <class Ch>
std::size_t RootLength(std::basic_string_view<Ch> path, PathSyntax syntax) noexcept {
    if (syntax == PathSyntax::Posix) {
        return !path.empty() && IsSeparator(path[0], syntax) ? 1 : 0;
    }
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == Ch(':')) {
        return path.size() >= 3 && IsSeparator(path[2], syntax) ? 3 : 2;
    }
    if (path.size() >= 2 && IsSeparator(path[0], syntax) && IsSeparator(path[1], syntax)) {
        // UNC: the server and share names belong to the root.
        std::size_t end = 2;
        for (int component = 0; component < 2; ++component) {
            while (end < path.size() && !IsSeparator(path[end], syntax)) {
                ++end;
            }
            if (component == 0 && end < path.size()) {
                ++end;
            }
        }
        return end;
    }
    return !path.empty() && IsSeparator(path[0], syntax) ? 1 : 0;
}

template <class Ch>
std::basic_string<Ch> Widen(std::string_view ascii) {
    return std::basic_string<Ch>(ascii.begin(), ascii.end());
}

}  // namespace

template <class Ch>
std::basic_string_view<Ch> TrimPath(std::basic_string_view<Ch> path) noexcept {
    while (!path.empty() && IsBlank(path.front())) {
        path.remove_prefix(1);
    }
    while (!path.empty() && IsBlank(path.back())) {
        path.remove_suffix(1);
    }
    return path;
}

template <class Ch>
std::basic_string<Ch> RemoveFileSpec(std::basic_string_view<Ch> path, PathSyntax syntax) {
    const std::size_t root = RootLength(path, syntax);
    std::size_t cut = path.size();
    while (cut > root && !IsSeparator(path[cut - 1], syntax)) {
        --cut;
    }
    // cut is now just past the last separator after the root, or the root's end.
    if (cut > root) {
        --cut;
    }
    return std::basic_string<Ch>(path.substr(0, cut));
}

template <class Ch>
std::basic_string<Ch> OutputFolderFor(std::basic_string_view<Ch> inputPath, PathSyntax syntax) {
    std::basic_string<Ch> folder = RemoveFileSpec(inputPath, syntax);
    const bool driveRelative = syntax == PathSyntax::Windows && folder.size() == 2 &&
                               IsDriveLetter(folder[0]) && folder[1] == Ch(':');
    const bool posixEndsInSeparator =
        syntax == PathSyntax::Posix && !folder.empty() && IsSeparator(folder.back(), syntax);
    if (!folder.empty() && !driveRelative && !posixEndsInSeparator) {
        folder.push_back(PreferredSeparator<Ch>(syntax));
    }
    folder += Widen<Ch>(kOutputFolderName);
    return folder;
}

template <class Ch>
std::basic_string<Ch> PictureFileName(std::basic_string_view<Ch> folder, std::uint64_t offset,
                                      PictureKind kind, PathSyntax syntax) {
    char digits[24];
    const int length =
        std::snprintf(digits, sizeof digits, "%08llX", static_cast<unsigned long long>(offset));
    std::basic_string<Ch> name(folder);
    name.push_back(PreferredSeparator<Ch>(syntax));
    name += Widen<Ch>(std::string_view(digits, static_cast<std::size_t>(length)));
    name.push_back(Ch('.'));
    name += Widen<Ch>(SignatureOf(kind).extension);
    return name;
}

#define KORVALT_INSTANTIATE_PATH_RULES(Ch)                                                    \
    template std::basic_string_view<Ch> TrimPath(std::basic_string_view<Ch>) noexcept;        \
    template std::basic_string<Ch> RemoveFileSpec(std::basic_string_view<Ch>, PathSyntax);    \
    template std::basic_string<Ch> OutputFolderFor(std::basic_string_view<Ch>, PathSyntax);   \
    template std::basic_string<Ch> PictureFileName(std::basic_string_view<Ch>, std::uint64_t, \
                                                   PictureKind, PathSyntax);

KORVALT_INSTANTIATE_PATH_RULES(char)
KORVALT_INSTANTIATE_PATH_RULES(wchar_t)

}  // namespace korvalt
