// The e2e tier's hands on the Windows side.
//   uidriver run            starts the command line in E2E_CMDLINE as it stands
//                           (no quoting added) and exits with its exit code
//   uidriver start          the same, without waiting
//   uidriver box CAPTION TEXT BUTTON [SECONDS]
//                           waits for a message box with that caption, checks its
//                           text and presses IDYES/IDNO/IDOK; any other visible
//                           box meanwhile fails the run, naming its caption and text
//   uidriver post CLASS MSG WPARAM LPARAM    posts a message to a window found by class
//   uidriver send CLASS MSG WPARAM LPARAM    sends it and prints the result
//   uidriver nowindow CLASS SECONDS          waits until no window of that class exists
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static std::string WindowText(HWND h)
{
    char buf[1024] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

static int Launch(bool wait)
{
    const char* cmd = getenv("E2E_CMDLINE");
    if (!cmd)
        return 90;
    std::string line = cmd;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s: %lu\n", cmd, GetLastError());
        return 91;
    }
    printf("pid %lu\n", pi.dwProcessId);
    fflush(stdout);
    if (!wait)
        return 0;
    if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0)
        return 92;
    DWORD code = 93;
    GetExitCodeProcess(pi.hProcess, &code);
    return (int)code;
}

struct BoxSearch {
    HWND found;
};

static BOOL CALLBACK FindBox(HWND h, LPARAM p)
{
    char cls[64];
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(h) && GetDlgItem(h, 0xFFFF)) {
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
        if (c != caption || m != text) {
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

int main(int argc, char** argv)
{
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
