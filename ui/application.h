// The application object's start-up: what runs before and around the start
// hook of the one application object.
#pragma once

#include <windows.h>

namespace korvalt::ui {

class Application {
  public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application() = default;

    // Adds the error-mode flags that keep system critical-error boxes away,
    // then runs the start hook. The result is the process exit status, which
    // carries no meaning.
    int Run();

  protected:
    // Runs the program's dialogs. Returning FALSE ends the program.
    virtual BOOL InitInstance() = 0;
};

}  // namespace korvalt::ui
