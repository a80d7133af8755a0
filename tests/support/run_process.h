// Running a built program as a child process and collecting what it prints.
#pragma once

#include <string>
#include <vector>

#include "path_string.h"

namespace korvalt::testing {

struct RunResult {
    int status;       // the exit status, -1 when the program could not be run
    std::string out;  // standard output, as bytes
};

// Runs program with the arguments (the program name is added in front) and
// standard output going to a pipe; standard error is inherited.
RunResult RunProgram(const PathString& program, const std::vector<PathString>& args);

}  // namespace korvalt::testing
