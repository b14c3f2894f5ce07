#ifndef SETUP_RESOURCE_H
#define SETUP_RESOURCE_H

#define IDD_SETUP               101
#define IDI_SETUP               104
#define IDD_CHOOSE_DIRECTORY    105

#define IDC_OK                  1001
#define IDC_PROGRESS            1002
#define IDC_DEST_DIR            1010
#define IDC_CHANGE              1011
#define IDC_FREE_SPACE          1012
#define IDC_NEEDED_SPACE        1013
#define IDC_SOURCE_DIR          1014
#define IDC_CANCEL              1015
#define IDC_PROGRESS_GROUP      1016

// Control ids that the old-style open-file dialog expects (dlgs.h)
#define IDC_CHOOSER_PATH        1088
#define IDC_CHOOSER_DRIVES_LBL  1091
#define IDC_CHOOSER_FILES       1120
#define IDC_CHOOSER_FOLDERS     1121
#define IDC_CHOOSER_TYPES       1136
#define IDC_CHOOSER_DRIVES      1137

#define IDS_DISPLAY_NAME        4
#define IDS_BAD_DESTINATION     7
#define IDS_SETUP_COMPLETE      9
#define IDS_RESTART_PROMPT      10
#define IDS_SETUP_INCOMPLETE    11
#define IDS_RESTART_FIRST       12
#define IDS_NETWORK_DESTINATION 13
#define IDS_NEEDS_ADMIN         14

#endif
