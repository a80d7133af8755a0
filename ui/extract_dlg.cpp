#include "extract_dlg.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "about_dlg.h"
#include "app_services.h"
#include "extraction.h"
#include "resource.h"
#include "text_encoding.h"
#include "ui_texts.h"

using korvalt::ui::kSysCommandMask;

namespace {

// The index that asks DragQueryFileW for the number of names dropped.
constexpr UINT kDropCountQuery = 0xFFFFFFFF;

// BeginPaint and EndPaint around one WM_PAINT.
class PaintContext {
  public:
    explicit PaintContext(HWND window) : m_hWnd(window) { m_hDc = BeginPaint(window, &m_paint); }
    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;
    ~PaintContext() { EndPaint(m_hWnd, &m_paint); }

    HDC Dc() const { return m_hDc; }

  private:
    HWND m_hWnd;
    PAINTSTRUCT m_paint{};
    HDC m_hDc;
};

// The "|" filter turned into the pairs of zero-terminated strings the common
// dialog reads; the final "||" gives the closing empty pair.
std::wstring OpenFileFilter() {
    std::wstring filter(korvalt::ui::kOpenFileFilter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    return filter;
}

}  // namespace

CExtractDlg::CExtractDlg(OpenFileNameFunction openFileName)
    : ModalDialog(IDD_MAIN_DIALOG, nullptr),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_openFileName(openFileName) {}

BOOL CExtractDlg::OnInitDialog() {
    HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
    if (systemMenu != nullptr) {
        const wchar_t* text = nullptr;
        // Length 0 asks for a read-only pointer into the resource itself.
        const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX,
                                       reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0) {
            const std::wstring aboutText(text, static_cast<std::size_t>(length));
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText.c_str());
        }
    }
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}

bool CExtractDlg::OnCommand(WORD id, WORD notification, HWND control) {
    if (notification == BN_CLICKED && id == IDC_OPEN_FILE) {
        OnOpenFile();
        return true;
    }
    if (notification == BN_CLICKED && id == IDC_EXTRACT) {
        OnExtract();
        return true;
    }
    return ModalDialog::OnCommand(id, notification, control);
}

bool CExtractDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<INT_PTR>(m_hIcon);
            return true;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return false;
        default:
            return false;
    }
}

bool CExtractDlg::OnSysCommand(WPARAM command) {
    if ((command & kSysCommandMask) != IDM_ABOUTBOX) {
        return false;
    }
    CAboutDlg about(Handle());
    about.DoModal();
    return true;
}

bool CExtractDlg::OnPaint() {
    if (!IsIconic(Handle())) {
        return false;
    }
    PaintContext paint(Handle());
    SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(paint.Dc(), x, y, m_hIcon);
    return true;
}

void CExtractDlg::OnOpenFile() {
    const std::wstring filter = OpenFileFilter();
    wchar_t fileName[MAX_PATH] = {};
    wchar_t fileTitle[korvalt::ui::kOpenFileTitleChars] = {};
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = Handle();
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = fileName;
    request.nMaxFile = MAX_PATH;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = korvalt::ui::kOpenFileTitleChars;
    request.Flags = korvalt::ui::kOpenFileFlags;
    // Cancel and any failure of the dialog leave the field as it was.
    if (m_openFileName(&request)) {
        SetDlgItemTextW(Handle(), IDC_FILE_PATH, fileName);
    }
}

void CExtractDlg::OnExtract() {
    const korvalt::ExtractReport report = korvalt::ExtractFile(PathFieldText());
    korvalt::ui::AppMessageBox(Handle(), korvalt::PathFromUtf8(report.Message()));
}

void CExtractDlg::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileW(drop, kDropCountQuery, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        // Sized to the name, so a long path arrives whole.
        const UINT length = DragQueryFileW(drop, index, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        DragQueryFileW(drop, index, name.data(), length + 1);
        SetDlgItemTextW(Handle(), IDC_FILE_PATH, name.c_str());
    }
    DragFinish(drop);
}

std::wstring CExtractDlg::PathFieldText() const {
    HWND field = GetDlgItem(Handle(), IDC_FILE_PATH);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    const int copied = GetWindowTextW(field, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}
