#include <iostream>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
    std::vector<korvalt::PathString> args(argv + 1, argv + argc);
    return korvalt::RunCommandLine(args, std::cout, std::cerr);
}
