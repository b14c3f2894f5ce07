// Setup's command line: any bytes, any length, the folder buffer exactly 180.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <vector>
#include "cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back(0);
    HasHelpSwitch(text.data());
    // Heap buffers of the exact size, so that ASan sees one byte past them.
    char* folder = new char[FOLDER_ARG_SIZE];
    memset(folder, 'M', FOLDER_ARG_SIZE);
    int fits = -1;
    int silent = ParseCommandLine(text.data(), folder, FOLDER_ARG_SIZE, &fits);
    assert(silent == 0 || silent == 1);
    assert(fits == 0 || fits == 1);
    if (text[0] == '-' && strlen(text.data()) >= 2)
        assert(memchr(folder, 0, FOLDER_ARG_SIZE));           // always terminated within the buffer
    if (!fits)
        assert(folder[0] == 0);                               // nothing truncated survives
    char* root = new char[80];
    if (DriveRoot(text.data(), root, 80))
        assert(strncmp(root, text.data(), strlen(root)) == 0);  // a prefix of the text
    delete[] root;
    delete[] folder;
    return 0;
}
