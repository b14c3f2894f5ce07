#include "fakeui.h"
#include "calllog.h"

static std::deque<int> g_answers;
static HWND* g_main;

void QueueAnswers(std::deque<int> answers)
{
    g_answers = answers;
}

void SetMainWindowForLog(HWND* main)
{
    g_main = main;
}

const char* OwnerName(HWND h)
{
    if (!h)
        return "NULL";
    return g_main && h == *g_main ? "main" : "other";
}

int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    Record("MessageBoxA(owner=%s, %s, %s, flags=0x%x)", OwnerName(owner), Quote(text).c_str(), Quote(caption).c_str(),
           flags);
    if (g_answers.empty())
        return IDOK;
    int a = g_answers.front();
    g_answers.pop_front();
    return a;
}
