// The driver service's DACL. By default only administrators and the system
// account may start a service, and the agent runs as the logged-on user,
// unelevated on NT 6 and later: the interactive users (S-1-5-4) get the
// start and the status query, and nothing else, so that no user can stop,
// change or delete the service. Built with the ACL calls that NT 4 has.
#include "setup.h"
#include "log.h"

#define INTERACTIVE_RIGHTS (SERVICE_START | SERVICE_QUERY_STATUS)
#define DESCRIPTOR_SIZE    1024
#define ACL_SIZE           1024

static const SID kInteractive = { SID_REVISION, 1, SECURITY_NT_AUTHORITY, { SECURITY_INTERACTIVE_RID } };

// The entry this function adds; a setup run before added it already.
static int IsUsersEntry(const ACCESS_ALLOWED_ACE* ace)
{
    return ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && ace->Mask == INTERACTIVE_RIGHTS &&
           IsSidOf(&ace->SidStart, &kInteractive);
}

int GrantInteractiveStart(SC_HANDLE service, const char* name)
{
    DWORD current[DESCRIPTOR_SIZE / 4];
    DWORD acl[ACL_SIZE / 4];
    DWORD needed;
    if (!QueryServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, current, sizeof current, &needed))
        return LogStep(0, "QueryServiceObjectSecurity", name, NULL);
    // Self-relative, as the service manager gives it: the DACL lies at its
    // offset. Without a DACL everyone may do everything already; a DACL of
    // one entry would take the service from the administrators.
    SECURITY_DESCRIPTOR_RELATIVE* got = (SECURITY_DESCRIPTOR_RELATIVE*)current;
    if (!(got->Control & SE_DACL_PRESENT) || !got->Dacl)
        return 1;
    PACL dacl = (PACL)((BYTE*)current + got->Dacl);
    // Exactly as large as the entries need: the service keeps the size.
    DWORD size = dacl->AclSize + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + sizeof kInteractive;
    int set = size <= sizeof acl && InitializeAcl((PACL)acl, size, ACL_REVISION);
    for (DWORD i = 0; set && i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE* ace;
        set = GetAce(dacl, i, (void**)&ace) &&
              (IsUsersEntry(ace) || AddAce((PACL)acl, ACL_REVISION, MAXDWORD, ace, ace->Header.AceSize));
    }
    // Absolute, with the DACL only, as foldersecurity.cpp makes one.
    SECURITY_DESCRIPTOR descriptor = { SECURITY_DESCRIPTOR_REVISION, 0, SE_DACL_PRESENT, NULL, NULL, NULL, (PACL)acl };
    set = set && AddAccessAllowedAce((PACL)acl, ACL_REVISION, INTERACTIVE_RIGHTS, (PSID)&kInteractive) &&
          SetServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, &descriptor);
    return LogStep(set, "SetServiceObjectSecurity", name, NULL);
}
