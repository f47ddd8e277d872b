// Resource identifiers of Savrin.rc. The numbers are part of the program's
// outside contract (the settings never store them, but the end-to-end tests
// and the window's users address controls and commands by them).
#pragma once

#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_MAIN_DIALOG         102

// The rule list's column titles and the folder pickers' titles.
#define IDS_COLUMN_SOURCE       200
#define IDS_COLUMN_DESTINATION  201
#define IDS_COLUMN_CONDITION    202
#define IDS_PICK_SOURCE         203
#define IDS_PICK_DESTINATION    204

// The messages of the rule checks and of the editing commands, and what the
// title shows while a pass runs. The core names them by these numbers; the
// window loads the words.
#define IDS_SOURCE_TOO_LONG                 300
#define IDS_DESTINATION_TOO_LONG            301
#define IDS_CONDITION_TOO_LONG              302
#define IDS_SOURCE_BAD_CHARACTER            303
#define IDS_DESTINATION_BAD_CHARACTER       304
#define IDS_CONDITION_EMPTY                 305
#define IDS_SOURCE_BAD_DRIVE                306
#define IDS_SOURCE_DOUBLED_BACKSLASH        307
#define IDS_DESTINATION_BAD_DRIVE           308
#define IDS_DESTINATION_DOUBLED_BACKSLASH   309
#define IDS_CONDITION_BAD_CHARACTER         310
#define IDS_CONFIRM_ALL_FILES               311
#define IDS_CONFIRM_WILDCARD                312
#define IDS_SOURCE_MISSING                  313
#define IDS_DUPLICATE_RULE                  320
#define IDS_SELECT_RULE_TO_MODIFY           321
#define IDS_SELECT_RULES_TO_DELETE          322
#define IDS_CONFIRM_DELETE                  323
#define IDS_PROCESSING_TITLE_SUFFIX         330
#define IDS_EXIT_PENDING_TITLE              331

// Application icon, and the program name in the string table.
#define IDR_MAINFRAME           128

// Tray icons: a 16-colour set and a 256-colour set. The two sets list their
// roles in different orders.
#define IDI_TRAY_BLINK_16       129
#define IDI_TRAY_RUNNING_16     130
#define IDI_TRAY_STOPPED_16     131
#define IDI_TRAY_STOPPED_256    132
#define IDI_TRAY_BLINK_256      133
#define IDI_TRAY_RUNNING_256    134

#define IDR_TRAY_MENU           141

// Controls of the main window. Tooltip texts are string resources with the
// same numbers.
#define IDC_RULE_LIST           1000
#define IDC_SOURCE_EDIT         1001
#define IDC_DESTINATION_EDIT    1002
#define IDC_ADD_RULE            1003
#define IDC_METHOD_COMBO        1004
#define IDC_DELETE_RULE         1005
#define IDC_MODIFY_RULE         1006
#define IDC_BROWSE_SOURCE       1007
#define IDC_BROWSE_DESTINATION  1008
#define IDC_COLLISION_COMBO     1009
#define IDC_CONDITION_COMBO     1011
#define IDC_MOVE_UP             1012
#define IDC_MOVE_DOWN           1013
#define IDC_ADD_PATTERN         1014
#define IDC_DELETE_PATTERN      1015
#define IDC_INTERVAL_EDIT       1018
#define IDC_STOP_MONITORING     1019
#define IDC_INTERVAL_SPIN       1020
#define IDC_ELAPSED_PROGRESS    1021

// Tray menu commands.
#define ID_TRAY_ORGANIZE_NOW    32773
#define ID_TRAY_ABOUT           32774
#define ID_TRAY_EXIT            32777
#define ID_TRAY_STOP_MONITORING 32778

// The About item of the system menu; system-menu ids keep their low four bits clear.
#define IDM_ABOUTBOX            0x0010

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// Resource type of a dialog's initialisation data: entries added to its
// controls when the dialog is created, before its own initialisation runs.
// Each entry is WORD control id, WORD message, then a NUL-terminated UTF-8
// text, passed as UTF-16 in lParam; a control id of 0 ends the list. UTF-8
// because windres copies narrow strings in raw data byte for byte but mangles
// wide ones outside ASCII.
#define RT_DIALOG_INIT          240
#define DIALOG_INIT_CB_ADDSTRING 0x0143  // CB_ADDSTRING, hidden from the resource compiler
