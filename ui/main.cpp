// Korvalt.exe: the one application object and the entry point.
#include <windows.h>

#include "extract_app.h"

namespace {
CExtractApp theApp;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return theApp.Run();
}
