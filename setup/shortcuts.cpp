// The Start-menu folder of the installing user with its three shell links.
#include "setup.h"
#include <objbase.h>
#include <shlobj.h>
#include "folders.h"
#include "footprint.h"
#include "log.h"
#include "registry.h"
#include "text.h"

#define NAME_SLOT     30
#define TARGET_SLOT   180
#define DESC_SLOT     50
#define MENU_PATH_SIZE 180
#define LINK_COUNT    3

static const GUID kClsidShellLink = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID kIidShellLinkA = { 0x000214EE, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID kIidPersistFile = { 0x0000010B, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };


static char g_linkNames[LINK_COUNT][NAME_SLOT];
static char g_targets[LINK_COUNT][TARGET_SLOT];
static char g_descriptions[LINK_COUNT][DESC_SLOT];

HRESULT CreateShellLink(const char* target, const char* link, const char* description)
{
    IShellLinkA* shellLink;
    if (!g_coCreateInstance)
        return E_FAIL;
    HRESULT hr = g_coCreateInstance(kClsidShellLink, NULL, CLSCTX_INPROC_SERVER, kIidShellLinkA, (void**)&shellLink);
    if (FAILED(hr))
        return hr;
    shellLink->SetPath(target);
    shellLink->SetDescription(description);
    IPersistFile* file;
    hr = shellLink->QueryInterface(kIidPersistFile, (void**)&file);
    if (SUCCEEDED(hr)) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH);
        hr = file->Save(wide, TRUE);
        file->Release();
    }
    shellLink->Release();
    return hr;
}

int LinksFolder(char* folder, unsigned cap)
{
    TextZero(folder, cap);
    return ReadProgramsFolder(folder, cap) && TextAppendChar(folder, cap, '\\') &&
           TextAppend(folder, cap, SZ_MENU_FOLDER) && TextAppendChar(folder, cap, '\\');
}

int CreateShortcuts()
{
    static const char* const names[LINK_COUNT] = { SZ_LINK_ABOUT, SZ_LINK_HELP, SZ_LINK_UNINSTALL };
    static const char* const descriptions[LINK_COUNT] = { SZ_DESC_ABOUT, SZ_DESC_HELP, SZ_DESC_UNINSTALL };
    for (int i = 0; i < LINK_COUNT; i++) {
        TextZero(g_linkNames[i], NAME_SLOT);
        TextZero(g_descriptions[i], DESC_SLOT);
        TextCopy(g_linkNames[i], NAME_SLOT, names[i]);
        TextCopy(g_descriptions[i], DESC_SLOT, descriptions[i]);
    }
    char folder[MENU_PATH_SIZE];
    if (!LinksFolder(folder, sizeof folder))
        return 0;
    // The folder itself is made without its closing backslash.
    unsigned n = TextLength(folder);
    folder[n - 1] = 0;
    if (CreateDirectoryA(folder, NULL))
        LogStep(1, "CreateDirectoryA", folder, NULL);
    folder[n - 1] = '\\';
    // A target that does not fit its slot leaves the slot empty, and that link out.
    TextZero(g_targets[0], TARGET_SLOT);
    TextZero(g_targets[1], TARGET_SLOT);
    TextJoin(g_targets[0], TARGET_SLOT, g_destDir, SZ_AGENT_EXE);
    TextJoin(g_targets[1], TARGET_SLOT, g_destDir, SZ_HELP_FILE);
    if (FolderWithSuffix(GetSystemDirectoryA, g_targets[2], TARGET_SLOT, ""))
        TextJoin(g_targets[2], TARGET_SLOT, g_targets[2], SZ_UNINSTALLER_EXE);
    // One apartment for all three links. Without ole32 every link stays as
    // its probe left it, as when the shell-link object cannot be created.
    HRESULT com = EnterOle();
    int whole = 1;
    for (int i = 0; i < LINK_COUNT; i++) {
        char link[MENU_PATH_SIZE];
        HANDLE probe = INVALID_HANDLE_VALUE;
        // The name is setup's from here on, link or not, and recorded before
        // the probe creates an empty file (an existing one stays as it is).
        if (g_targets[i][0] && TextJoin(link, sizeof link, folder, g_linkNames[i]) &&
            RecordInstalled(SZ_RECORD_LINKS, g_linkNames[i]))
            probe = CreateFileA(link, 0, 0, NULL, OPEN_ALWAYS, 0, NULL);
        if (probe == INVALID_HANDLE_VALUE) {
            whole = 0;
            continue;
        }
        CloseHandle(probe);
        HRESULT made = CreateShellLink(g_targets[i], link, g_descriptions[i]);
        SetLastError(made);
        whole &= LogStep(SUCCEEDED(made), "IPersistFile::Save", link, NULL);
    }
    LeaveOle(com);
    return whole;
}
