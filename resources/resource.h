// Resource and control identifiers shared by the resource scripts and the code.
#pragma once

// Strings, menu, accelerators.
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109
#define IDM_MAIN_MENU 109
#define IDA_MAIN_ACCEL 109

// Commands.
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_DEFINE_MAPPING 32771

// Icons.
#define IDI_APPLICATION_ICON 2
#define IDI_DISABLED_ICON 134
#define IDI_TRAY_ENABLED 137
#define IDI_TRAY_DISABLED 139
#define IDI_ABOUT_MISSING 107

// Dialogs.
#define IDD_ABOUT 103
#define IDD_ACTION_CHOOSER 130
#define IDD_MAIN 131
#define IDD_SELECTION_METHOD 140
#define IDD_TYPE_IN_CAPTURE 141
#define IDD_MOUSE_SELECTION 142

// Main dialog controls.
#define IDC_COMBINATION_LIST 1016
#define IDC_ENABLE 1017
#define IDC_DISABLE 1018
#define IDC_ADD_COMBINATION 1019
#define IDC_DELETE_SELECTED 1020
#define IDC_TERMINATE 1021
#define IDC_HIDE 1022
#define IDC_STATE_ICON 1023
#define IDC_EDIT_SELECTED 1032

// Capture wizard controls.
#define IDC_KEY_LIST 1000
#define IDC_ADD_KEY 1001
#define IDC_CURRENT_KEYS 1003
#define IDC_CLEAR_KEYS 1007
#define IDC_BY_TYPING 1033
#define IDC_BY_MOUSE 1034

// Action chooser controls.
#define IDC_DISABLE_ACTION 1008
#define IDC_TYPE_TEXT 1009
#define IDC_LAUNCH_APP 1010
#define IDC_GO_TO_URL 1011
#define IDC_TEXT_EDIT 1012
#define IDC_PATH_EDIT 1013
#define IDC_URL_EDIT 1014
#define IDC_BROWSE 1015
#define IDC_CHANGE_KEY 1027
#define IDC_TARGET_LIST 1028
#define IDC_BLOCK_KEY 1029
#define IDC_QUICK_HELP 1030
#define IDC_WITH_CTRL 1039
#define IDC_WITH_ALT 1040
#define IDC_WITH_SHIFT 1041
// Where the combination acts.
#define IDC_WHERE_EVERYWHERE 1042
#define IDC_WHERE_ONLY_IN 1043
#define IDC_WHERE_NOT_IN 1044
#define IDC_WHERE_NAMES 1045
#define IDC_WHERE_OPEN_PROGRAMS 1046
#define IDC_WHERE_BROWSE 1047

// Tray.
#define TRAY_ICON_ID 110
#define TRAY_CALLBACK_MESSAGE 1025
