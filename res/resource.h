// Resource identifiers shared by the program and its resource script.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VANTREL_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_VERSION 1000

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
