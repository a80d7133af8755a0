// Creating the output folder and writing picture files.
#pragma once

#include <cstdint>

#include "path_string.h"

namespace korvalt {

// True when the folder exists as a directory afterwards, whether created now
// or by an earlier run.
bool CreateOutputFolder(const PathString& folder) noexcept;

// Creates or replaces the named file and writes count bytes from data into it.
// True only when every byte reached the file; a file that could not be fully
// written is removed, so no truncated picture is left behind. An existing
// symbolic link under the name is not followed.
bool WritePictureFile(const PathString& name, const std::uint8_t* data,
                      std::uint64_t count) noexcept;

}  // namespace korvalt
