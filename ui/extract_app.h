// The application object of Korvalt.exe: runs the main dialog once.
#pragma once

#include "application.h"

class CExtractApp : public korvalt::ui::Application {
  protected:
    BOOL InitInstance() override;
};
