// The About box: the template does all the work.
#pragma once

#include "modal_dialog.h"

class CAboutDlg : public korvalt::ui::ModalDialog {
  public:
    // Runs centred over owner.
    explicit CAboutDlg(HWND owner);
};
