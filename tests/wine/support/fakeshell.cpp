// The objects are written against the C form of the interfaces: each
// vtable names its methods, so a fake has the exact signature the caller
// uses, on i686 too; a method setup should not call stays null.
#define CINTERFACE
#define COBJMACROS
#include "fakeshell.h"
#include <windows.h>
#include <exdisp.h>
#include <objbase.h>
#include <shldisp.h>
#include <shlobj.h>
#include <string>
#include "calllog.h"
#include "fakeproc.h"

static FakeShell* g_shell;

enum Id { WINDOWS, DESKTOP, PROVIDER, BROWSER, VIEW, BACKGROUND, FOLDER_VIEW, APPLICATION, DISPATCH2, OBJECTS };
struct Object {
    const void* vtbl;
    Id id;
};
static Object g_objects[OBJECTS];

static HRESULT Hand(Id id, FakeShell::Step step, void** out)
{
    *out = NULL;
    if (g_shell->failing == step)
        return E_FAIL;
    *out = &g_objects[id];
    g_shell->held++;
    return S_OK;
}

static Id IdOf(void* self)
{
    return ((Object*)self)->id;
}

static HRESULT STDMETHODCALLTYPE QueryInterface(void* self, REFIID iid, void** out)
{
    Id id = IdOf(self);
    if (id == DESKTOP && IsEqualIID(iid, IID_IServiceProvider))
        return Hand(PROVIDER, FakeShell::PROVIDER, out);
    if (id == BACKGROUND && IsEqualIID(iid, IID_IShellFolderViewDual))
        return Hand(FOLDER_VIEW, FakeShell::FOLDER_VIEW, out);
    if (id == APPLICATION && IsEqualIID(iid, IID_IShellDispatch2))
        return Hand(DISPATCH2, FakeShell::DISPATCH2, out);
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE AddRef(void*)
{
    return ++g_shell->held;
}

static ULONG STDMETHODCALLTYPE Release(void*)
{
    return --g_shell->held;
}

static HRESULT STDMETHODCALLTYPE FindWindowSW(IShellWindows*, VARIANT* location, VARIANT* root, int cls, LONG* hwnd,
                                              int options, IDispatch** out)
{
    Record("IShellWindows::FindWindowSW(location=%d/%ld, root=%d, class=%d, options=%d)", location->vt,
           location->lVal, root->vt, cls, options);
    *hwnd = 0;
    if (g_shell->failing == FakeShell::NO_DESKTOP) {
        *out = NULL;
        return S_FALSE;
    }
    return Hand(DESKTOP, FakeShell::FIND, (void**)out);
}

static HRESULT STDMETHODCALLTYPE QueryService(IServiceProvider*, REFGUID service, REFIID iid, void** out)
{
    if (!IsEqualGUID(service, SID_STopLevelBrowser) || !IsEqualIID(iid, IID_IShellBrowser)) {
        *out = NULL;
        return E_NOINTERFACE;
    }
    return Hand(BROWSER, FakeShell::BROWSER, out);
}

static HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellBrowser*, IShellView** out)
{
    return Hand(VIEW, FakeShell::VIEW, (void**)out);
}

static HRESULT STDMETHODCALLTYPE GetItemObject(IShellView*, UINT item, REFIID iid, void** out)
{
    if (item != SVGIO_BACKGROUND || !IsEqualIID(iid, IID_IDispatch)) {
        *out = NULL;
        return E_NOINTERFACE;
    }
    return Hand(BACKGROUND, FakeShell::BACKGROUND, out);
}

static HRESULT STDMETHODCALLTYPE GetApplication(IShellFolderViewDual*, IDispatch** out)
{
    return Hand(APPLICATION, FakeShell::APPLICATION, (void**)out);
}

static std::string Text(const VARIANT& v)
{
    char b[300];
    if (v.vt == VT_EMPTY)
        return "empty";
    if (v.vt == VT_I4)
        return std::to_string(v.lVal);
    if (v.vt != VT_BSTR)
        return "vt " + std::to_string(v.vt);
    WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, b, sizeof b, NULL, NULL);
    return b;
}

static HRESULT STDMETHODCALLTYPE ShellExecute(IShellDispatch2*, BSTR file, VARIANT args, VARIANT dir, VARIANT verb,
                                              VARIANT show)
{
    VARIANT f;
    f.vt = VT_BSTR;
    f.bstrVal = file;
    Record("IShellDispatch2::ShellExecute(%s, %s, %s, %s, %s)", Text(f).c_str(), Text(args).c_str(),
           Text(dir).c_str(), Text(verb).c_str(), Text(show).c_str());
    return g_shell->failing == FakeShell::EXECUTE ? E_ACCESSDENIED : S_OK;
}

static IShellWindowsVtbl g_windowsVtbl;
static IDispatchVtbl g_dispatchVtbl;
static IServiceProviderVtbl g_providerVtbl;
static IShellBrowserVtbl g_browserVtbl;
static IShellViewVtbl g_viewVtbl;
static IShellFolderViewDualVtbl g_folderViewVtbl;
static IShellDispatch2Vtbl g_dispatch2Vtbl;

template <typename V>
static void WithUnknown(V* v)
{
    v->QueryInterface = (decltype(v->QueryInterface))(void*)QueryInterface;
    v->AddRef = (decltype(v->AddRef))(void*)AddRef;
    v->Release = (decltype(v->Release))(void*)Release;
}

static HRESULT WINAPI FakeCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out)
{
    if (!IsEqualCLSID(clsid, CLSID_ShellWindows))
        return CoCreateInstance(clsid, outer, context, iid, out);
    Record("CoCreateInstance(ShellWindows, context=0x%lx)", context);
    if (!IsEqualIID(iid, IID_IShellWindows)) {
        *out = NULL;
        return E_NOINTERFACE;
    }
    if (g_shell->failing == FakeShell::CREATE) {
        *out = NULL;
        return REGDB_E_CLASSNOTREG;
    }
    return Hand(WINDOWS, FakeShell::CREATE, out);
}

FakeShell::FakeShell()
{
    g_shell = this;
    WithUnknown(&g_windowsVtbl);
    WithUnknown(&g_dispatchVtbl);
    WithUnknown(&g_providerVtbl);
    WithUnknown(&g_browserVtbl);
    WithUnknown(&g_viewVtbl);
    WithUnknown(&g_folderViewVtbl);
    WithUnknown(&g_dispatch2Vtbl);
    g_windowsVtbl.FindWindowSW = FindWindowSW;
    g_providerVtbl.QueryService = QueryService;
    g_browserVtbl.QueryActiveShellView = QueryActiveShellView;
    g_viewVtbl.GetItemObject = GetItemObject;
    g_folderViewVtbl.get_Application = GetApplication;
    g_dispatch2Vtbl.ShellExecute = ShellExecute;
    const void* vtbls[OBJECTS] = { &g_windowsVtbl, &g_dispatchVtbl, &g_providerVtbl, &g_browserVtbl, &g_viewVtbl,
                                   &g_dispatchVtbl, &g_folderViewVtbl, &g_dispatchVtbl, &g_dispatch2Vtbl };
    for (int i = 0; i < OBJECTS; i++)
        g_objects[i] = { vtbls[i], (Id)i };
    proc = FakeProc("CoCreateInstance", (FARPROC)(void*)FakeCoCreateInstance);
}

FakeShell::~FakeShell()
{
    proc.reset();
    g_shell = nullptr;
}
