#include "extract_app.h"

#include "extract_dlg.h"

BOOL CExtractApp::InitInstance() {
    CExtractDlg dlg;
    dlg.DoModal();
    // The dialog has ended: the program ends with it.
    return FALSE;
}
