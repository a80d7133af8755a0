// The main dialog: the path field, "打开文件", "提取图片", the drop target and
// the About entry of the system menu.
#pragma once

#include <windows.h>

#include <string>

#include "modal_dialog.h"

class CExtractDlg : public korvalt::ui::ModalDialog {
  public:
    // The common open-file dialog, replaceable so that tests can see what it
    // is asked for.
    using OpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

    explicit CExtractDlg(OpenFileNameFunction openFileName = &GetOpenFileNameW);

  protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    bool OnSysCommand(WPARAM command);
    bool OnPaint();
    void OnOpenFile();
    void OnExtract();
    void OnDropFiles(HDROP drop);

    std::wstring PathFieldText() const;

    HICON m_hIcon;
    OpenFileNameFunction m_openFileName;
};
