// Resource ids of the program: one header for the .rc script and the code.
#pragma once

// Strings, menu, accelerators, icons
#define IDS_APP_TITLE        103
#define IDS_WINDOW_CLASS     109
#define IDC_ZORVEX           109   // menu and accelerator table
#define IDI_ZORVEX           107
#define IDI_SMALL            108

// Dialogs
#define IDD_ABOUTBOX         103
#define IDD_SEND_SETTINGS    129
#define IDD_FILE_INFO        131
#define IDD_SERIAL_SETTINGS  148

// File information dialog
#define IDC_INFO_FORMAT      1023
#define IDC_INFO_KIND        1024
#define IDC_INFO_SIZE        1025
#define IDC_INFO_TITLE       1026
#define IDC_INFO_SUMMARY     1027
#define IDC_INFO_FILENAME    1028
#define IDC_INFO_BODYSIZE    1029
#define IDC_INFO_DATE        1030
#define IDC_INFO_REDIST      1031
#define IDC_INFO_REDIST_LABEL 1032
#define IDC_INFO_REDIST_LINE 1033

// Transfer progress dialog (both directions)
#define IDD_PROGRESS         130
#define IDC_PROGRESS_BUTTON  1019
#define IDC_PROGRESS_STATUS  1020
#define IDC_PROGRESS_LINE1   1021
#define IDC_PROGRESS_LINE2   1022
#define IDC_PROGRESS_BAR     1034

// Send settings dialog: format buttons, fields and their hints, the hidden redistribution group
#define IDC_FMT_DOCOMO       1000
#define IDC_FMT_NEC          1001
#define IDC_FMT_FUJITSU      1002
#define IDC_REDIST_ALLOW     1003
#define IDC_REDIST_FORBID    1004
#define IDC_SEND_TITLE       1005
#define IDC_SEND_SUMMARY     1006
#define IDC_SEND_FILENAME    1007
#define IDC_FMT_P504I        1008
#define IDC_FMT_P2102V       1009
#define IDC_FMT_DIRECT       1012
#define IDC_HINT_TITLE       1014
#define IDC_HINT_SUMMARY     1015
#define IDC_HINT_FILENAME    1016
#define IDC_HINT_DATE        1017
#define IDC_HINT_REDIST      1018
#define IDC_FMT_JN51_JPEG    1020
#define IDC_FMT_JN51_DCF     1021
#define IDC_SEND_DATE        1025
#define IDC_SEND_TIME        1026
#define IDC_FORMAT_GROUP     1027
#define IDC_EXTRA_GROUP      1028
#define IDC_REDIST_GROUP     1029

// Serial port settings dialog
#define IDC_SERIAL_PORT      1035
#define IDC_SPEED_110        1038
#define IDC_SPEED_300        1039
#define IDC_SPEED_600        1040
#define IDC_SPEED_1200       1041
#define IDC_SPEED_2400       1042
#define IDC_SPEED_4800       1043
#define IDC_SPEED_EDIT       1044
#define IDC_SPEED_9600       1046
#define IDC_SPEED_14400      1047
#define IDC_SPEED_19200      1048
#define IDC_SPEED_38400      1049
#define IDC_SPEED_56000      1050
#define IDC_SPEED_57600      1051
#define IDC_SPEED_115200     1052
#define IDC_SPEED_128000     1053
#define IDC_SPEED_256000     1054
#define IDC_SPEED_MANUAL     1055

// Continuous receive window
#define IDD_CONTINUOUS       149
#define IDC_CONT_STATUS      1056
#define IDC_CONT_FOLDER      1057
#define IDC_CONT_LIST        1058

// View bitmaps
#define IDB_STARTUP          134
#define IDB_MOVIE            135
#define IDB_MOVIE_MASK       137
#define IDB_FILM_TILE        138
#define IDB_CLEF             139
#define IDB_NOTE1_HIGH       140
#define IDB_NOTE2_HIGH       141
#define IDB_NOTE1_LOW        142
#define IDB_NOTE2_LOW        143
#define IDB_MIDI_MASK        144
#define IDB_MELODY_MASK      145
#define IDB_MIDI             146
#define IDB_MELODY           147

// Commands
#define IDM_ABOUT            104
#define IDM_EXIT             105
#define IDM_FILE_OPEN        32771
#define IDM_FILE_SAVE        32772
#define IDM_FILE_INFO        32773
#define IDM_IR_RECEIVE       32774
#define IDM_IR_SEND          32775
#define IDM_HELP_HOMEPAGE    32780
#define IDM_HELP_MANUAL      32781
#define IDM_VIEW_SCROLL      32783
#define IDM_VIEW_STRETCH     32784
#define IDM_VIEW_FREE        32785
#define IDM_SERIAL_RECEIVE   32786
#define IDM_SERIAL_SEND      32787
#define IDM_CONTINUOUS_RECEIVE 32788

#ifndef IDC_STATIC
#define IDC_STATIC           (-1)
#endif
