#ifndef AGENT_RESOURCE_H
#define AGENT_RESOURCE_H

#define IDI_AGENT           102
#define IDD_ABOUT           113
#define IDC_ABOUT_OK        1023

#define IDS_POWER_QUESTION  1
#define IDS_NO_SERVICE_FILE 3
#define IDS_NO_VXD_FILE     4

#endif
