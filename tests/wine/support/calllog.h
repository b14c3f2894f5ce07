// What the fakes saw, one formatted line per call, in call order.
#ifndef TEST_CALLLOG_H
#define TEST_CALLLOG_H
#include <string>
#include <vector>

std::vector<std::string>& Calls();
void Record(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Calls whose line starts with prefix.
std::vector<std::string> CallsTo(const std::string& prefix);
// Position of the first line starting with prefix, or -1.
int IndexOf(const std::string& prefix);
std::string Quote(const char* s);        // NULL-safe, escapes control characters

#endif
