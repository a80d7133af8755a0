// korvalt-extract: the extraction command for each file named on the command line.
#pragma once

#include <ostream>
#include <vector>

#include "path_string.h"

namespace korvalt {

inline constexpr int kExitAllDone = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

// args excludes the program name. Results go to out, usage errors to err, UTF-8.
int RunCommandLine(const std::vector<PathString>& args, std::ostream& out, std::ostream& err);

}  // namespace korvalt
