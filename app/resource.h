#pragma once
// Resource identifiers of kestrova.rc (shared by the program and its GUI tests).

#define IDI_KESTROVA 1
#define IDI_TB_NEW 101
#define IDI_TB_OPEN 102
#define IDI_TB_SAVE 103
#define IDI_TB_PRINT 104
#define IDI_TB_CUT 105
#define IDI_TB_COPY 106
#define IDI_TB_PASTE 107
#define IDI_TB_START 108
#define IDI_TB_STOP 109
#define IDI_TB_QUIT 110

#define IDB_ABOUT_BACKDROP 201
#define IDB_ABOUT_BULLET 202

#define IDD_CONFIRM 301
#define IDC_CONFIRM_ICON 302
#define IDC_CONFIRM_TEXT 303

#define IDD_ABOUT 401
#define IDC_ABOUT_ICON 402
#define IDC_ABOUT_TITLE1 403
#define IDC_ABOUT_TITLE2 404
#define IDC_ABOUT_SUBTITLE 405
#define IDC_ABOUT_VERSION 406
#define IDC_ABOUT_COPYRIGHT 407
#define IDC_ABOUT_COMMENTS 408
#define IDC_ABOUT_THANKS 409
#define IDC_ABOUT_BULLET1 410
#define IDC_ABOUT_BULLET2 411
#define IDC_ABOUT_BULLET3 412
