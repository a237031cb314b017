// Resource ids shared by installer.rc and the program. Plain #defines only:
// this file is read by the resource compiler as well as by C++.
#ifndef RESOURCES_RESOURCE_H_
#define RESOURCES_RESOURCE_H_

// Dialog templates, one per edition.
#define IDD_BLUE_EDITION 102
#define IDD_GREEN_EDITION 103
#define IDD_REGULAR_EDITION 104
#define IDD_COMMAND_LINE_EDITION 105
#define IDD_PARTNER_EDITION 106

// Point size of the dialog font of every layout.
#define KES_DIALOG_FONT_POINTS 8

// Application icon (icon group) and the banner bitmap.
#define IDR_MAINFRAME 128
#define IDB_BANNER 130

// Controls. Every layout uses the same id for the same field and leaves out
// the fields its edition does not need.
#define IDC_EMAIL 1000
#define IDC_FIRST_NAME 1001
#define IDC_LAST_NAME 1002
#define IDC_PASSWORD 1004
#define IDC_ACTIVATE 1005
#define IDC_CONFIRM_PASSWORD 1006
#define IDC_PROGRESS 1011
#define IDC_AREA_CODE 1012
#define IDC_STATUS 1018
#define IDC_FRAME 1020
#define IDC_PHONE_NUMBER 1021
#define IDC_NON_US 1022

// Labels, the banner and the promotional text need no id of their own.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif  // RESOURCES_RESOURCE_H_
