// The KB texts and the progress position for any 32-bit values, and the
// text helpers at every capacity.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>
#include "sizetext.h"
#include "text.h"

static unsigned long Word(const uint8_t* d, size_t size, size_t at)
{
    unsigned long v = 0;
    for (size_t i = 0; i < 4 && at + i < size; i++)
        v |= (unsigned long)d[at + i] << (8 * i);
    return v;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    unsigned long a = Word(data, size, 0), b = Word(data, size, 4);
    unsigned cap = size > 8 ? data[8] % 32 : 20;
    char* out = new char[cap ? cap : 1];
    if (FormatGroupedKB(a, out, cap))
        assert(strlen(out) < cap && strcmp(out + strlen(out) - 7, "K Bytes") == 0);
    FormatPlainKB(a, out, cap);
    assert(ProgressPosition(a, b) <= 100);
    assert(ProgressPosition(0, b) == 0);
    // Join two pieces of the input at this capacity.
    size_t split = size > 9 ? data[9] % (size - 9) : 0;
    std::string rest(size > 10 ? (const char*)data + 10 : "", size > 10 ? size - 10 : 0);
    std::string root = rest.substr(0, split).c_str(), name = rest.substr(split < rest.size() ? split : rest.size()).c_str();
    if (cap && TextJoin(out, cap, root.c_str(), name.c_str()))
        assert(strlen(out) < cap);
    else if (cap)
        assert(out[0] == 0);
    delete[] out;
    return 0;
}
