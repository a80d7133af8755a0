// Application-wide chores of the dialog front end: the title, the message box,
// centring and help. Free functions over plain window handles.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvalt::ui {

// The program file's name without directory and extension; it captions every
// message box, so a renamed copy shows its new name.
std::wstring ApplicationTitle();

// The program file's full path with its extension replaced by ".HLP".
std::wstring HelpFilePath();

// The application message box: OK button, exclamation icon, modal to the
// owner's last active pop-up, captioned with the application title.
int AppMessageBox(HWND owner, std::wstring_view text);

// Centres the window over its owner, or, without an owner, in the work area
// of its monitor; the result is kept inside that work area.
void CenterWindow(HWND window, HWND owner);

// Asks the help engine for the topic of a dialog template; when it fails, says
// so in the application message box.
void ShowDialogHelp(HWND dialog, int templateId);

}  // namespace korvalt::ui
