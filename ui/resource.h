// Resource and control ids of the whole plug-in.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates
#define IDD_RECORD 201
#define IDD_REPLACE_FILE 202
#define IDD_TASK_PROPERTIES 203
#define IDD_TASK_MANAGER 204
#define IDD_MIMIC_PROPERTY 205
#define IDD_PLAYER_SETTINGS 206
#define IDD_ADD_ACTION_FILES 301

// Record
#define IDC_RECORD_DONTSHOW 1001

// Replace File
#define IDC_REPLACE 1011

// Action Properties
#define IDC_TP_NAME 1021
#define IDC_TP_REPEAT 1022
#define IDC_TP_SPIN 1023
#define IDC_TP_GLOBAL 1024
#define IDC_TP_MENU 1025
#define IDC_TP_CURRENT 1026
#define IDC_TP_REMOVE 1027
#define IDC_TP_NEW 1028
#define IDC_TP_ASSIGN 1029
#define IDC_TP_ASSIGNED 1030
#define IDC_TP_WARNING 1031

// Add action files
#define IDC_AF_GLOBAL 1041

// Action Manager
#define IDC_TM_GRID 1051
#define IDC_TM_ADD 1052
#define IDC_TM_REMOVE 1053
#define IDC_TM_REFRESH 1054
#define IDC_TM_PROPERTIES 1055

// Preferences page
#define IDC_MP_TEMPORARY 1061
#define IDC_MP_NOCONFIRM 1062
#define IDC_MP_GLOBAL 1063
#define IDC_MP_BROWSE 1064
#define IDC_MP_MACRO 1065
#define IDC_MP_LOCAL 1066

// Player Settings
#define IDC_PS_REPEAT 1081
#define IDC_PS_SPIN 1082
#define IDC_PS_GRID 1083
