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
