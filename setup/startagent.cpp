// The agent's start after an installation. On NT 6 and later setup runs
// elevated, and an agent started by setup itself would run elevated, or as
// the administrator who elevated it, until the next logon: there the desktop
// shell starts it, with the logged-on user's own token.
#include "setup.h"
#include <objbase.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>
#include "folders.h"
#include "installpaths.h"
#include "footprint.h"
#include "log.h"
#include "platform.h"
#include "text.h"

#define PATH_SIZE STEP_PATH_SIZE
#define TOKEN_USER_SIZE 128

static const GUID kClsidShellWindows =
    { 0x9BA05972, 0xF6A8, 0x11CF, { 0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39 } };
static const GUID kIidShellWindows = { 0x85CB6900, 0x4D95, 0x11CF, { 0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85 } };
static const GUID kIidServiceProvider =
    { 0x6D5140C1, 0x7436, 0x11CE, { 0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA } };
static const GUID kSidTopLevelBrowser =
    { 0x4C96BE40, 0x915C, 0x11CF, { 0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37 } };
static const GUID kIidShellBrowser = { 0x000214E2, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID kIidDispatch = { 0x00020400, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
static const GUID kIidShellFolderViewDual =
    { 0xE7A1AF80, 0x4D96, 0x11CF, { 0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85 } };
static const GUID kIidShellDispatch2 =
    { 0xA4C6892C, 0x3BA9, 0x11D2, { 0x9D, 0xEA, 0x00, 0xC0, 0x4F, 0xB1, 0x61, 0x62 } };

// S-1-5-18
static const SID kLocalSystem = { SID_REVISION, 1, SECURITY_NT_AUTHORITY, { SECURITY_LOCAL_SYSTEM_RID } };

typedef BSTR(WINAPI* SysAllocStringFn)(const OLECHAR*);
typedef void(WINAPI* SysFreeStringFn)(BSTR);

// Where no user is: the local system account (a deployment tool), or
// session 0, which holds only services from NT 6 on.
static int InUserSession()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    DWORD user[TOKEN_USER_SIZE / 4];
    DWORD session;
    DWORD n;
    int ok = GetTokenInformation(token, TokenUser, user, sizeof user, &n) &&
             GetTokenInformation(token, TokenSessionId, &session, sizeof session, &n) && session != 0 &&
             !IsSidOf(((TOKEN_USER*)user)->User.Sid, &kLocalSystem);
    CloseHandle(token);
    return ok;
}

// v: an empty VARIANT, and the window as it is shown.
static HRESULT ShellExecuteAgent(IShellDispatch2* shell, const char* agent, const VARIANT* v, SysAllocStringFn sysAlloc,
                                 SysFreeStringFn sysFree)
{
    WCHAR wide[PATH_SIZE];
    MultiByteToWideChar(CP_ACP, 0, agent, -1, wide, PATH_SIZE);
    BSTR file = sysAlloc(wide);
    // No arguments, the shell's folder, the default verb (which opens a
    // program), a normal window.
    HRESULT hr = file ? shell->ShellExecute(file, v[0], v[0], v[0], v[1]) : E_OUTOFMEMORY;
    sysFree(file);
    return hr;
}

// The desktop shell's own dispatch object, reached from the desktop's
// window in the shell's list, starts the agent in the shell's process. Each
// step gives its object, or none (COM's rule on failure) and the way ends.
static int StartThroughShell(const char* agent)
{
    HMODULE oleaut = LoadSystemLibrary("oleaut32.dll");
    SysAllocStringFn sysAlloc = (SysAllocStringFn)SystemProc(oleaut, "SysAllocString");
    SysFreeStringFn sysFree = (SysFreeStringFn)SystemProc(oleaut, "SysFreeString");
    HRESULT com = sysAlloc && sysFree ? EnterOle() : E_NOINTERFACE;
    // The way's objects, each from the one before, all let go at the end.
    IUnknown* held[9] = {};
    IShellWindows*& windows = (IShellWindows*&)held[0];
    IDispatch*& desktop = (IDispatch*&)held[1];
    IServiceProvider*& provider = (IServiceProvider*&)held[2];
    IShellBrowser*& browser = (IShellBrowser*&)held[3];
    IShellView*& view = (IShellView*&)held[4];
    IDispatch*& background = (IDispatch*&)held[5];
    IShellFolderViewDual*& folderView = (IShellFolderViewDual*&)held[6];
    IDispatch*& application = (IDispatch*&)held[7];
    IShellDispatch2*& shell = (IShellDispatch2*&)held[8];
    // An empty VARIANT, a normal window, the desktop as the location.
    VARIANT v[3];
    ZeroMemory(v, sizeof v);
    v[1].vt = v[2].vt = VT_I4;
    v[1].lVal = SW_SHOWNORMAL;
    v[2].lVal = CSIDL_DESKTOP;
    LONG window;
    HRESULT hr = com;
    if (SUCCEEDED(com))
        hr = g_coCreateInstance(kClsidShellWindows, NULL, CLSCTX_ALL, kIidShellWindows, (void**)&windows);
    // No desktop shell in this session: S_FALSE and no object.
    if (windows)
        hr = windows->FindWindowSW(&v[2], &v[0], SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop);
    if (desktop)
        hr = desktop->QueryInterface(kIidServiceProvider, (void**)&provider);
    if (provider)
        hr = provider->QueryService(kSidTopLevelBrowser, kIidShellBrowser, (void**)&browser);
    if (browser)
        hr = browser->QueryActiveShellView(&view);
    if (view)
        hr = view->GetItemObject(SVGIO_BACKGROUND, kIidDispatch, (void**)&background);
    if (background)
        hr = background->QueryInterface(kIidShellFolderViewDual, (void**)&folderView);
    if (folderView)
        hr = folderView->get_Application(&application);
    if (application)
        hr = application->QueryInterface(kIidShellDispatch2, (void**)&shell);
    int started = 0;
    if (shell) {
        hr = ShellExecuteAgent(shell, agent, v, sysAlloc, sysFree);
        started = SUCCEEDED(hr);
    }
    for (IUnknown* p : held)
        if (p)
            p->Release();
    LeaveOle(com);
    // S_FALSE: no desktop shell.
    SetLastError(hr == S_FALSE ? E_NOINTERFACE : hr);
    return LogStep(started, "IShellDispatch2::ShellExecute", agent, NULL);
}

void StartAgentAt(const char* folder)
{
    // One agent per session: a running one (left running by a bounded
    // close) would only show its About box for a second.
    if (FindWindowA(SZ_AGENT_CLASS, NULL))
        return;
    char agent[PATH_SIZE];
    if (!TextJoin(agent, sizeof agent, folder, SZ_AGENT_EXE))
        return;
    if (NtMajorVersion() >= 6) {
        if (StartThroughShell(agent))
            return;
        // No user here to start it for: the Run value starts it at the next logon.
        if (!InUserSession()) {
            LogStep(1, "agent left to the next logon:", agent, NULL);
            return;
        }
    }
    // WinExec's child starts in setup's working folder, which may be the
    // package's CD: the Windows folder holds nothing that must go.
    char windows[PATH_SIZE];
    if (FolderWithSuffix(GetWindowsDirectoryA, windows, sizeof windows, ""))
        SetCurrentDirectoryA(windows);
    char command[PATH_SIZE];
    if (QuotedPath(command, sizeof command, folder, SZ_AGENT_EXE))
        LogStep(WinExec(command, SW_SHOWNORMAL) > 31, "WinExec", command, NULL);
}
