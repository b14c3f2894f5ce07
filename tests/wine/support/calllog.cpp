#include "calllog.h"
#include <cstdarg>
#include <cstdio>
#include <mutex>

// The agent's reader thread records too.
static std::mutex g_lock;

std::vector<std::string>& Calls()
{
    static std::vector<std::string> calls;
    return calls;
}

void Record(const char* fmt, ...)
{
    char line[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    std::lock_guard<std::mutex> hold(g_lock);
    Calls().push_back(line);
}

std::vector<std::string> CallsTo(const std::string& prefix)
{
    std::lock_guard<std::mutex> hold(g_lock);
    std::vector<std::string> out;
    for (const auto& c : Calls())
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    return out;
}

int IndexOf(const std::string& prefix)
{
    std::lock_guard<std::mutex> hold(g_lock);
    for (size_t i = 0; i < Calls().size(); i++)
        if (Calls()[i].compare(0, prefix.size(), prefix) == 0)
            return (int)i;
    return -1;
}

std::string Quote(const char* s)
{
    if (!s)
        return "NULL";
    std::string out = "\"";
    for (; *s; s++) {
        if (*s == '\n')
            out += "\\n";
        else if (*s == '\t')
            out += "\\t";
        else
            out += *s;
    }
    return out + "\"";
}
