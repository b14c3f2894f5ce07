#ifndef UNINSTALL_RESOURCE_H
#define UNINSTALL_RESOURCE_H

#define IDI_UNINSTALL       101

#define IDS_CONFIRM         1
#define IDS_DONE_9X         2
#define IDS_DONE_NT         3
#define IDS_NOT_REMOVED     4
#define IDS_ALREADY_RUNNING 5
#define IDS_NEEDS_ADMIN     6
#define IDS_UNKNOWN_OPTION  7

#endif
