#include "application.h"

namespace korvalt::ui {

int Application::Run() {
    // A drive without a medium then just makes the file operation fail.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    InitInstance();
    return 0;
}

}  // namespace korvalt::ui
