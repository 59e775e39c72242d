// Resource identifiers shared by the program and its resource script.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VANTREL_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_VERSION 1000
// The frame's window-menu item that opens the About box; the system keeps the low four bits of such a
// command for itself, so 0x0010 to 0x001F all open it.
#define IDM_ABOUTBOX 0x0010
// The frame's other window-menu items, after the About item.
#define IDM_PLACEMENT 0x0020
#define IDM_SHOW_PANEL 0x0030
#define IDM_DEFAULT_PLACEMENT 0x0040
// Posted to the frame to end the program without asking about a picture that was neither saved nor copied:
// the debug console's close, logoff and shutdown (WM_APP + 0x10).
#define WM_VANTREL_END_WITHOUT_ASKING 0x8010
// Timed captures: the Capture command after a countdown of 3, 5 or 10 seconds.
#define IDM_CAPTURE_IN_3S 0x0050
#define IDM_CAPTURE_IN_5S 0x0060
#define IDM_CAPTURE_IN_10S 0x0070
// Quick shots: one at once, without a dialog, into the settings' folder; a series of them; the inner area on
// the window below; the settings dialog.
#define IDM_QUICK_SHOT 0x0080
#define IDM_SERIES 0x0090
#define IDM_FIT_WINDOW 0x00C0
#define IDM_SETTINGS 0x00D0
// Posted to the frame once it is up, to name the hotkeys that could not be registered (WM_APP + 0x11).
#define WM_VANTREL_HOTKEYS_REFUSED 0x8011

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_OPERATION 129
#define IDC_CAPTURE_TO_CLIPBOARD 1001
#define IDC_CAPTURE 1002
#define IDC_CLEAR 1003
#define IDC_COPY 1004
#define IDC_SAVE 1005
#define IDC_RIGHTPOS 1006

// Icons of the panel's tips (32x32, 32 bpp with alpha).
#define IDB_CAPTURE 130
#define IDB_COPY 131
#define IDB_CLEAR 132
#define IDB_SAVE 133
// The same icons drawn at 48x48 and 64x64, for tips at larger display scales.
#define IDB_CAPTURE_48 230
#define IDB_COPY_48 231
#define IDB_CLEAR_48 232
#define IDB_SAVE_48 233
#define IDB_CAPTURE_64 330
#define IDB_COPY_64 331
#define IDB_CLEAR_64 332
#define IDB_SAVE_64 333

// The placement dialog: the client area's screen position and size, typed or chosen from a list.
#define IDD_PLACEMENT 140
#define IDC_PLACE_X 1101
#define IDC_PLACE_Y 1102
#define IDC_PLACE_WIDTH 1103
#define IDC_PLACE_HEIGHT 1104
#define IDC_PLACE_SIZES 1105

// The settings dialog: the quick shots' folder and file names, the hotkeys, the series.
#define IDD_SETTINGS 150
#define IDC_SET_FOLDER 1201
#define IDC_SET_BROWSE 1202
#define IDC_SET_PATTERN 1203
#define IDC_SET_PREVIEW 1204
#define IDC_SET_COPY 1205
#define IDC_SET_HOTKEY_QUICK 1206
#define IDC_SET_HOTKEY_QUICK_NOTE 1207
#define IDC_SET_HOTKEY_RECORD 1208
#define IDC_SET_HOTKEY_RECORD_NOTE 1209
#define IDC_SET_SERIES_SECONDS 1210
#define IDC_SET_SERIES_COUNT 1211
