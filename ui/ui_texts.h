// Texts and constants of the dialog front end that are not resources.
#pragma once

#include <windows.h>

#include <string_view>

namespace korvalt::ui {

inline constexpr std::wstring_view kHelpFailedMessage = L"启动帮助失败。";
inline constexpr std::wstring_view kHelpFileExtension = L".HLP";

// Help topics are the template id of the dialog plus this base.
inline constexpr DWORD kDialogHelpTopicBase = 0x20000;

// The open-file filter in the framework's "|" form: display text and pattern
// pairs, ended by an empty pair.
inline constexpr std::wstring_view kOpenFileFilter = L"*.exe|*.exe|*.dll|*.dll|所有文件|*.*||";
inline constexpr DWORD kOpenFileFlags =
    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
inline constexpr DWORD kOpenFileTitleChars = 64;

// The system-menu command ids that the system reserves: the low four bits.
inline constexpr WPARAM kSysCommandMask = 0xFFF0;

}  // namespace korvalt::ui
