// The e2e tier's hands on the Windows side.
//   uidriver run            starts the command line in E2E_CMDLINE as it stands
//                           (no quoting added) and exits with its exit code;
//                           E2E_TWICE starts a second (E2E_CMDLINE2 or the same)
//   uidriver start          the same, without waiting
//   uidriver box CAPTION TEXT BUTTON [SECONDS]
//                           waits for a message box with that caption, checks its
//                           text and presses IDYES/IDNO/IDOK; any other visible
//                           box meanwhile fails the run, naming its caption and text;
//                           TEXT "*" takes any text (the system's own messages)
//   uidriver post CLASS MSG WPARAM LPARAM    posts a message to a window found by class
//   uidriver send CLASS MSG WPARAM LPARAM    sends it and prints the result
//   uidriver nowindow CLASS SECONDS          waits until no window of that class exists
//   uidriver inject HEX     hands key records to the driver double for the running agent
//   uidriver pid CLASS      prints the process id of a window's owner
//   uidriver parent CLASS   prints the program name of that process's parent
//                           ("?" when the parent has ended)
//   uidriver latency HEX N  injects N times and times each question box
//   uidriver window CLASS SECONDS [TITLE]   waits for a window (a titled one must be visible)
//   uidriver postw CLASS TITLE MSG WPARAM LPARAM   posts to a window found by class and title
//   uidriver short PATH      prints the short form of a path
//   uidriver hwnd CLASS      prints the handle of a window found by class
//   uidriver setevent NAME   sets a named event (the VxD double's key injection)
//   uidriver rect CLASS TITLE               prints a window's screen rectangle: x y width height
//   uidriver hold PATH SECONDS  holds a file open without sharing, prints
//                           "held", then waits
//   uidriver text TITLE ID | click TITLE ID | settext TITLE ID TEXT   a dialog's controls
//   uidriver brand PATH      adds an RCDATA item through UpdateResource, as a vendor's
//                           resource tool does, and checks that it and the manifest are there
#include <windows.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

static std::string WindowText(HWND h)
{
    char buf[1024] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

static const char BRAND[] = "Tandrel keyboard, branded by the vendor";

static int Brand(const char* path)
{
    HANDLE u = BeginUpdateResourceA(path, FALSE);
    if (!u)
        return 4;
    if (!UpdateResourceA(u, RT_RCDATA, MAKEINTRESOURCEA(900), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                         (void*)BRAND, sizeof BRAND) || !EndUpdateResourceA(u, FALSE)) {
        fprintf(stderr, "UpdateResource failed: %lu\n", GetLastError());
        return 5;
    }
    HMODULE m = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!m)
        return 6;
    HRSRC added = FindResourceA(m, MAKEINTRESOURCEA(900), RT_RCDATA);
    bool ok = added && SizeofResource(m, added) == sizeof BRAND
              && !memcmp(LockResource(LoadResource(m, added)), BRAND, sizeof BRAND)
              && FindResourceA(m, MAKEINTRESOURCEA(1), RT_MANIFEST);
    FreeLibrary(m);
    return ok ? 0 : 7;
}

static int Launch(bool wait)
{
    const char* cmd = getenv("E2E_CMDLINE");
    if (!cmd)
        return 90;
    std::string line = cmd;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    // E2E_TWICE: two copies back to back (the second of E2E_CMDLINE2 where
    // that is set); the exit code is the first's, or the second's when the
    // first's is 0.
    const char* second = getenv("E2E_CMDLINE2");
    std::string lines[2] = { line, second ? second : line };
    PROCESS_INFORMATION pi[2];
    int copies = getenv("E2E_TWICE") ? 2 : 1;
    for (int i = 0; i < copies; i++) {
        if (!CreateProcessA(NULL, &lines[i][0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi[i])) {
            fprintf(stderr, "cannot start %s: %lu\n", cmd, GetLastError());
            return 91;
        }
    }
    for (int i = 0; i < copies; i++)
        printf("pid %lu\n", pi[i].dwProcessId);
    fflush(stdout);
    if (!wait)
        return 0;
    DWORD code = 0;
    for (int i = 0; i < copies; i++) {
        if (WaitForSingleObject(pi[i].hProcess, 120000) != WAIT_OBJECT_0)
            return 92;
        DWORD one = 93;
        GetExitCodeProcess(pi[i].hProcess, &one);
        printf("copy %d exit %lu\n", i + 1, one);
        if (!code)
            code = one;
    }
    // Wine hands on only the low 8 bits of an exit code.
    printf("exit %lu\n", code);
    return (int)code;
}

struct BoxSearch {
    HWND found;
};

// A message box: a dialog with its text in static 0xFFFF, one or two
// statics (text, icon), one to three buttons and nothing else. The setup
// dialog and the About box have statics with that id too, but more controls.
static bool IsMessageBox(HWND h)
{
    char cls[64];
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(h) || !GetDlgItem(h, 0xFFFF))
        return false;
    int statics = 0, buttons = 0, others = 0;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        GetClassNameA(c, cls, sizeof cls);
        if (!_stricmp(cls, "Static"))
            statics++;
        else if (!_stricmp(cls, "Button") && (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX)
            buttons++;
        else
            others++;
    }
    return others == 0 && statics <= 2 && buttons >= 1 && buttons <= 3;
}

static BOOL CALLBACK FindBox(HWND h, LPARAM p)
{
    if (IsMessageBox(h)) {
        ((BoxSearch*)p)->found = h;
        return FALSE;
    }
    return TRUE;
}

static int Box(const char* caption, const char* text, const char* button, int seconds)
{
    int id = strcmp(button, "IDYES") == 0 ? IDYES : strcmp(button, "IDNO") == 0 ? IDNO : IDOK;
    for (int t = 0; t < seconds * 20; t++, Sleep(50)) {
        BoxSearch s = { NULL };
        EnumWindows(FindBox, (LPARAM)&s);
        if (!s.found)
            continue;
        std::string c = WindowText(s.found), m = WindowText(GetDlgItem(s.found, 0xFFFF));
        if (c != caption || (m != text && strcmp(text, "*") != 0)) {
            printf("unexpected box: caption \"%s\" text \"%s\"\n", c.c_str(), m.c_str());
            return 2;
        }
        printf("box: caption \"%s\" text \"%s\"\n", c.c_str(), m.c_str());
        fflush(stdout);
        HWND b = GetDlgItem(s.found, id);
        if (!b)
            b = GetDlgItem(s.found, IDCANCEL);
        SendMessageA(b, BM_CLICK, 0, 0);
        return 0;
    }
    printf("no box \"%s\" within %d s\n", caption, seconds);
    return 3;
}

static HANDLE OpenDouble()
{
    // No access rights: the agent holds the device for reading and writing.
    return CreateFileA("\\\\.\\VOREL12", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

static int Inject(const char* hex)
{
    HWND agent = FindWindowA("ZNVACPI10", NULL);
    if (!agent)
        return 10;
    DWORD pid = 0;
    GetWindowThreadProcessId(agent, &pid);
    std::string input((const char*)&pid, 4);
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        char b[3] = { hex[i], hex[i + 1], 0 };
        input += (char)strtoul(b, NULL, 16);
    }
    HANDLE dev = OpenDouble();
    if (dev == INVALID_HANDLE_VALUE)
        return 11;
    DWORD got;
    BOOL ok = DeviceIoControl(dev, 0x220100, &input[0], (DWORD)input.size(), NULL, 0, &got, NULL);
    CloseHandle(dev);
    return ok ? 0 : 12;
}

// Inject a Power-key release, time until the question box exists, answer
// No; N times. Prints the median and the worst in milliseconds.
static int Latency(const char* hex, int count)
{
    std::vector<DWORD> ms;
    for (int i = 0; i < count; i++) {
        DWORD t0 = GetTickCount();
        if (Inject(hex))
            return 13;
        BoxSearch s = { NULL };
        while (!s.found && GetTickCount() - t0 < 10000) {
            EnumWindows(FindBox, (LPARAM)&s);
            if (!s.found)
                Sleep(1);
        }
        if (!s.found)
            return 14;
        ms.push_back(GetTickCount() - t0);
        SendMessageA(GetDlgItem(s.found, IDNO), BM_CLICK, 0, 0);
        while (IsWindow(s.found))
            Sleep(5);
    }
    std::sort(ms.begin(), ms.end());
    printf("median %lu ms, worst %lu ms\n", ms[ms.size() / 2], ms.back());
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 4 && !strcmp(argv[1], "latency"))
        return Latency(argv[2], atoi(argv[3]));
    if (argc >= 7 && !strcmp(argv[1], "postw")) {
        HWND w = FindWindowA(argv[2], argv[3]);
        if (!w)
            return 4;
        return PostMessageA(w, strtoul(argv[4], NULL, 0), strtoull(argv[5], NULL, 0), strtoll(argv[6], NULL, 0)) ? 0 : 5;
    }
    if (argc >= 3 && !strcmp(argv[1], "short")) {
        char shortPath[MAX_PATH];
        DWORD n = GetShortPathNameA(argv[2], shortPath, sizeof shortPath);
        if (!n || n >= sizeof shortPath)
            return 4;
        puts(shortPath);
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "hwnd")) {
        HWND w = FindWindowA(argv[2], NULL);
        printf("0x%lx\n", (unsigned long)(ULONG_PTR)w);
        return w ? 0 : 4;
    }
    if (argc >= 3 && !strcmp(argv[1], "setevent")) {
        HANDLE e = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
        BOOL ok = e && SetEvent(e);
        if (e)
            CloseHandle(e);
        return ok ? 0 : 6;
    }
    if (argc >= 4 && !strcmp(argv[1], "rect")) {
        RECT r;
        HWND w = FindWindowA(argv[2], argv[3]);
        if (!w || !GetWindowRect(w, &r))
            return 4;
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (argc >= 4 && !strcmp(argv[1], "window")) {
        for (int t = 0; t < atoi(argv[3]) * 20; t++, Sleep(50)) {
            HWND w = FindWindowA(argv[2], argc >= 5 ? argv[4] : NULL);
            if (w && (argc < 5 || IsWindowVisible(w)))
                return 0;
        }
        return 8;
    }
    // Dialog controls, the dialog found by class #32770 and its title.
    if (argc >= 4 && (!strcmp(argv[1], "text") || !strcmp(argv[1], "click") || !strcmp(argv[1], "settext"))) {
        HWND dlg = FindWindowA("#32770", argv[2]);
        HWND c = dlg ? GetDlgItem(dlg, atoi(argv[3])) : NULL;
        if (!c)
            return 4;
        if (!strcmp(argv[1], "text")) {
            // GetWindowText does not read another process's edit controls.
            char buf[1024] = "";
            DWORD_PTR n;
            SendMessageTimeoutA(c, WM_GETTEXT, sizeof buf, (LPARAM)buf, SMTO_ABORTIFHUNG, 5000, &n);
            printf("%s\n", buf);
            return 0;
        }
        if (!strcmp(argv[1], "click"))
            return PostMessageA(c, BM_CLICK, 0, 0) ? 0 : 5;
        return argc >= 5 && SendMessageA(c, WM_SETTEXT, 0, (LPARAM)argv[4]) ? 0 : 5;
    }
    if (argc >= 4 && !strcmp(argv[1], "hold")) {
        HANDLE h = CreateFileA(argv[2], GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return 4;
        puts("held");
        fflush(stdout);
        Sleep(atoi(argv[3]) * 1000);
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "brand"))
        return Brand(argv[2]);
    if (argc >= 3 && !strcmp(argv[1], "inject"))
        return Inject(argv[2]);
    if (argc >= 3 && !strcmp(argv[1], "pid")) {
        HWND w = FindWindowA(argv[2], NULL);
        DWORD pid = 0;
        if (w)
            GetWindowThreadProcessId(w, &pid);
        printf("%lu\n", pid);
        return w ? 0 : 4;
    }
    if (argc >= 3 && !strcmp(argv[1], "parent")) {
        HWND w = FindWindowA(argv[2], NULL);
        DWORD pid = 0, parent = 0;
        if (!w)
            return 4;
        GetWindowThreadProcessId(w, &pid);
        std::string name = "?";
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 e;
        e.dwSize = sizeof e;
        for (BOOL more = Process32First(snap, &e); more; more = Process32Next(snap, &e))
            if (e.th32ProcessID == pid)
                parent = e.th32ParentProcessID;
        e.dwSize = sizeof e;
        for (BOOL more = Process32First(snap, &e); more; more = Process32Next(snap, &e))
            if (parent && e.th32ProcessID == parent)
                name = e.szExeFile;
        CloseHandle(snap);
        printf("%s\n", name.c_str());
        return 0;
    }
    if (argc >= 2 && !strcmp(argv[1], "run"))
        return Launch(true);
    if (argc >= 2 && !strcmp(argv[1], "start"))
        return Launch(false);
    if (argc >= 5 && !strcmp(argv[1], "box"))
        return Box(argv[2], argv[3], argv[4], argc >= 6 ? atoi(argv[5]) : 20);
    if (argc >= 6 && (!strcmp(argv[1], "post") || !strcmp(argv[1], "send"))) {
        HWND w = FindWindowA(argv[2], NULL);
        if (!w)
            return 4;
        UINT msg = strtoul(argv[3], NULL, 0);
        WPARAM wp = strtoull(argv[4], NULL, 0);
        LPARAM lp = strtoll(argv[5], NULL, 0);
        if (!strcmp(argv[1], "post"))
            return PostMessageA(w, msg, wp, lp) ? 0 : 5;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 10000, &result))
            return 6;
        printf("%llu\n", (unsigned long long)result);
        return 0;
    }
    if (argc >= 4 && !strcmp(argv[1], "nowindow")) {
        for (int t = 0; t < atoi(argv[3]) * 20; t++, Sleep(50))
            if (!FindWindowA(argv[2], NULL))
                return 0;
        return 7;
    }
    fprintf(stderr, "usage: see the head of uidriver.cpp\n");
    return 1;
}
