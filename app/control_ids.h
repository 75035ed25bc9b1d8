#pragma once

// Resource and control ids of the converter dialog. Plain macros, because the
// Windows resource compiler reads this file too; IDOK and IDCANCEL are the
// system's own there.
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

#define IDD_CONVERTER 102
#define IDR_MAINFRAME 128
#define IDB_LOGO 135

#define IDC_STATIC (-1) // labels and the picture, which no code addresses
#define IDC_INPUT 1000
#define IDC_OUTPUT 1001
#define IDC_BROWSE_INPUT 1002
#define IDC_STATUS 1004
#define IDC_FLIP 1005
