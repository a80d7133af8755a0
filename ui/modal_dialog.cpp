#include "modal_dialog.h"

#include "app_services.h"

namespace korvalt::ui {

namespace {

bool AnyModifierDown() {
    for (const int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        if (GetKeyState(key) < 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

INT_PTR ModalDialog::DoModal() {
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), m_hOwner,
                        &ModalDialog::DlgProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

bool ModalDialog::OnCommand(WORD id, WORD, HWND) {
    switch (id) {
        case IDOK:
            OnOK();
            return true;
        case IDCANCEL:
            OnCancel();
            return true;
        default:
            return false;
    }
}

bool ModalDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

INT_PTR CALLBACK ModalDialog::DlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    // Messages sent during creation, before WM_INITDIALOG, find no object yet.
    return dialog != nullptr ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const BOOL focusFirst = OnInitDialog();
            CenterWindow(m_hWnd, m_hOwner);
            return focusFirst;
        }
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_HELP:
            if (AnyModifierDown()) {
                return FALSE;
            }
            ShowDialogHelp(m_hWnd, m_templateId);
            return TRUE;
        default: {
            INT_PTR result = FALSE;
            return OnMessage(message, wParam, lParam, result) ? result : FALSE;
        }
    }
}

}  // namespace korvalt::ui
