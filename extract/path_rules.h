// How a typed path becomes the input file and its output folder, for both path
// syntaxes, so either can be checked on any platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "picture_signature.h"

namespace korvalt {

enum class PathSyntax : std::uint8_t { Windows, Posix };

#ifdef _WIN32
inline constexpr PathSyntax kNativeSyntax = PathSyntax::Windows;
#else
inline constexpr PathSyntax kNativeSyntax = PathSyntax::Posix;
#endif

inline constexpr std::string_view kOutputFolderName = "Tamsork";

// Drops leading and trailing space, tab, line feed, vertical tab, form feed and
// carriage return. Units of multi-unit characters are never white space.
template <class Ch>
std::basic_string_view<Ch> TrimPath(std::basic_string_view<Ch> path) noexcept;

// Removes the last component and the separator before it. A root keeps its
// separator ("C:\a.exe" gives "C:\", "/a" gives "/"); a bare name gives "".
// Windows syntax takes both "\" and "/" as separators, as the file system does.
template <class Ch>
std::basic_string<Ch> RemoveFileSpec(std::basic_string_view<Ch> path, PathSyntax syntax);

// The folder "Tamsork" beside the input file. A bare name puts it in the
// current directory; a Windows drive root gives "C:\\Tamsork", which the file
// system reads as "C:\Tamsork".
template <class Ch>
std::basic_string<Ch> OutputFolderFor(std::basic_string_view<Ch> inputPath, PathSyntax syntax);

// folder + separator + the offset in at least eight upper-case hexadecimal
// digits + "." + the kind's extension.
template <class Ch>
std::basic_string<Ch> PictureFileName(std::basic_string_view<Ch> folder, std::uint64_t offset,
                                      PictureKind kind, PathSyntax syntax);

}  // namespace korvalt
