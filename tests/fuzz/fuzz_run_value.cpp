// The folder derived from a Run value and the guard before clearing it:
// any bytes, up to and past the 100-byte buffer.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <vector>
#include "runfolder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> value(data, data + size);
    value.push_back(0);
    char* folder = new char[100];
    if (FolderFromRunValue(value.data(), folder, 100)) {
        size_t n = strlen(folder);
        assert(n > 1 && n < 100 && folder[n - 1] == '\\');
        assert(strncmp(folder, value.data(), n) == 0);
        int safe = IsFolderSafeToClear(folder, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
        if (safe)
            assert(!(n == 3 && folder[1] == ':'));            // never a drive root
    }
    char* key = new char[24];
    EnumKeyName(size ? data[0] : 0, key, 24);
    delete[] key;
    delete[] folder;
    return 0;
}
