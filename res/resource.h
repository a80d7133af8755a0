// Resource identifiers of Korvalt.exe, shared by the resource script, the
// dialog code and the tests. Grouped by the dialog or resource that owns them.
#pragma once

// Icons. The lowest-numbered icon group is the one the shell shows for the file.
#define IDI_FILE_ICON 127
#define IDR_MAINFRAME 128

// Strings.
#define IDS_ABOUTBOX 101

// About box.
#define IDD_ABOUTBOX 100

// Main dialog and its system-menu entry.
#define IDD_MAIN_DIALOG 102
#define IDC_FILE_PATH 1000
#define IDC_OPEN_FILE 1001
#define IDC_EXTRACT 1002
#define IDM_ABOUTBOX 0x0010

// Labels and pictures that no code addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
