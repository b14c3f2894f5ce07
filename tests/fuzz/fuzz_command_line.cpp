// Setup's command line: any bytes, any length, the folder buffer exactly 180.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <vector>
#include "cmdline.h"
#include "installpaths.h"
#include "text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back(0);
    HasHelpSwitch(text.data());
    // Heap buffers of the exact size, so that ASan sees one byte past them.
    char* folder = new char[FOLDER_ARG_SIZE];
    memset(folder, 'M', FOLDER_ARG_SIZE);
    char* log = new char[LOG_ARG_SIZE];
    int fits = -1, logFits = -1;
    int silent = ParseCommandLine(text.data(), folder, FOLDER_ARG_SIZE, &fits, log, &logFits);
    assert(logFits == 0 || logFits == 1);
    if (text[0] == '-' && strlen(text.data()) >= 2) {
        assert(memchr(log, 0, LOG_ARG_SIZE));
        assert(!strchr(log, '"'));                            // a quote never reaches the path
    }
    assert(silent == 0 || silent == 1);
    assert(fits == 0 || fits == 1);
    if (text[0] == '-' && strlen(text.data()) >= 2)
        assert(memchr(folder, 0, FOLDER_ARG_SIZE));           // always terminated within the buffer
    if (!fits)
        assert(folder[0] == 0);                               // nothing truncated survives
    if (silent && fits) {
        assert(!strchr(folder, '"'));                         // a quote never reaches a path
        char dest[200];
        if (TextCopy(dest, sizeof dest, folder) && TextEnsureBackslash(dest, sizeof dest) &&
            InstallFoldersFit("C:\\Package\\", dest)) {
            char run[STEP_PATH_SIZE];                         // what the check promises the steps
            assert(TextJoin(run, sizeof run, dest, "vorel12a.exe"));
            assert(!strpbrk(dest, "<>|*?") && (dest[1] == ':' || (dest[0] == '\\' && dest[1] == '\\')));
        }
    }
    char* root = new char[80];
    if (DriveRoot(text.data(), root, 80))
        assert(strncmp(root, text.data(), strlen(root)) == 0);  // a prefix of the text
    delete[] root;
    delete[] folder;
    delete[] log;
    return 0;
}
