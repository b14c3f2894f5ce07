// The descriptor of a folder that setup creates for the package. Without
// one, a new folder inherits from its parent, and on NT 4 and 2000 C:\ lets
// everyone change what lies below it, while the Run value starts the agent
// from there at every logon. Administrators and SYSTEM get full control,
// Users read and execute, and files and subfolders inherit both.
#include "setup.h"
#include "platform.h"

#define FOLDER_INHERIT (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)

typedef BOOL(WINAPI* SetSecurityDescriptorControlFn)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                                     SECURITY_DESCRIPTOR_CONTROL);

// Access-allowed entries with their SIDs in place, as AddAccessAllowedAce
// lays them out; the ACL is constant, so it is written out here instead of
// built at run time (NT 4 has no AddAccessAllowedAceEx for the flags).
struct AceOneRid {
    ACE_HEADER header;
    ACCESS_MASK mask;
    BYTE revision, count;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD rid[1];
};
struct AceTwoRids {
    ACE_HEADER header;
    ACCESS_MASK mask;
    BYTE revision, count;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD rid[2];
};
struct FolderAcl {
    ACL acl;
    AceTwoRids admins;
    AceOneRid system;
    AceTwoRids users;
};
static_assert(sizeof(FolderAcl) == 8 + 24 + 20 + 24, "ACL layout");

#define FULL_CONTROL  FILE_ALL_ACCESS
#define READ_EXECUTE  (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)

static const FolderAcl g_folderAcl = {
    { ACL_REVISION, 0, sizeof(FolderAcl), 3, 0 },
    { { ACCESS_ALLOWED_ACE_TYPE, FOLDER_INHERIT, sizeof(AceTwoRids) }, FULL_CONTROL,
      SID_REVISION, 2, SECURITY_NT_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS } },
    { { ACCESS_ALLOWED_ACE_TYPE, FOLDER_INHERIT, sizeof(AceOneRid) }, FULL_CONTROL,
      SID_REVISION, 1, SECURITY_NT_AUTHORITY, { SECURITY_LOCAL_SYSTEM_RID } },
    { { ACCESS_ALLOWED_ACE_TYPE, FOLDER_INHERIT, sizeof(AceTwoRids) }, READ_EXECUTE,
      SID_REVISION, 2, SECURITY_NT_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS } },
};

static SECURITY_DESCRIPTOR g_folderDescriptor;
static SECURITY_ATTRIBUTES g_folderAttributes;

int FolderAttributes(LPSECURITY_ATTRIBUTES* attributes)
{
    *attributes = NULL;
    // The 9x family has no file security.
    if (!IsNtPlatform())
        return 1;
    g_folderDescriptor.Revision = SECURITY_DESCRIPTOR_REVISION;
    g_folderDescriptor.Control = SE_DACL_PRESENT;
    g_folderDescriptor.Dacl = (PACL)&g_folderAcl;
    // Windows 2000 and later would add C:\'s inheritable entries to these
    // unless the DACL is protected; NT 4 has neither the bit nor the call.
    SetSecurityDescriptorControlFn setControl = (SetSecurityDescriptorControlFn)SystemProc(
        GetModuleHandleA("ADVAPI32.DLL"), "SetSecurityDescriptorControl");
    if (setControl && !setControl(&g_folderDescriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return 0;
    g_folderAttributes.nLength = sizeof g_folderAttributes;
    g_folderAttributes.lpSecurityDescriptor = &g_folderDescriptor;
    *attributes = &g_folderAttributes;
    return 1;
}
