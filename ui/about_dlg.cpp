#include "about_dlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg(HWND owner) : ModalDialog(IDD_ABOUTBOX, owner) {}
