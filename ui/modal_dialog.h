// A modal dialog on a resource template of the program file. The static
// dialog procedure finds the object through DWLP_USER and hands each message
// to it; OK and Cancel end the dialog, it is centred right after its
// initialisation, and F1 asks for the dialog's help topic.
#pragma once

#include <windows.h>

namespace korvalt::ui {

class ModalDialog {
  public:
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // Runs the dialog until it ends. Returns the value it ended with (IDOK,
    // IDCANCEL, ...), or -1 when it could not be created.
    INT_PTR DoModal();

    HWND Handle() const { return m_hWnd; }
    int TemplateId() const { return m_templateId; }

  protected:
    // owner: the window disabled while this dialog runs, and the one it is
    // centred over; nullptr centres it in the work area of its monitor.
    ModalDialog(int templateId, HWND owner) : m_templateId(templateId), m_hOwner(owner) {}

    // Returns TRUE to let the dialog manager focus the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns true when handled; the default ends the dialog on OK and Cancel.
    virtual bool OnCommand(WORD id, WORD notification, HWND control);
    // Any other message. Returns true when handled, with result as the dialog
    // procedure's return value; false leaves it to default processing.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    void OnOK() { EndDialog(m_hWnd, IDOK); }
    void OnCancel() { EndDialog(m_hWnd, IDCANCEL); }

  private:
    static INT_PTR CALLBACK DlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    HWND m_hOwner;
    HWND m_hWnd = nullptr;
};

}  // namespace korvalt::ui
