#include <vector>

#include "command_line.h"
#include "console_stream_win32.h"

// wmain takes the arguments as UTF-16, so any file name reaches the extraction
// unchanged, whatever the system's ANSI code page.
int wmain(int argc, wchar_t** argv) {
    std::vector<korvalt::PathString> args(argv + 1, argv + argc);
    korvalt::ConsoleStream out(STD_OUTPUT_HANDLE);
    korvalt::ConsoleStream err(STD_ERROR_HANDLE);
    return korvalt::RunCommandLine(args, out, err);
}
