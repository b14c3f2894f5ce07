// Both programs' command lines: any bytes, any length, the buffers exactly
// as large as the programs give them.
#include <cassert>
#include <cstdint>
#include <cstring>
#include <vector>
#include "cmdline.h"
#include "cmdtail.h"
#include "installpaths.h"
#include "text.h"

#define UNKNOWN_SIZE 64

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back(0);
    HasHelpSwitch(text.data());
    // Heap buffers of the exact size, so that ASan sees one byte past them.
    char* folder = new char[FOLDER_ARG_SIZE];
    memset(folder, 'M', FOLDER_ARG_SIZE);
    char* log = new char[LOG_ARG_SIZE];
    char* unknown = new char[UNKNOWN_SIZE];
    for (int program : { OPTIONS_SETUP, OPTIONS_REMOVAL }) {
        int fits = -1, logFits = -1;
        int options = ReadOptions(text.data(), program, program == OPTIONS_SETUP ? folder : NULL, FOLDER_ARG_SIZE,
                                  &fits, log, LOG_ARG_SIZE, &logFits, unknown, UNKNOWN_SIZE);
        assert((options & ~(OPTION_SILENT | OPTION_FOLDER | OPTION_LOG | OPTION_UNKNOWN)) == 0);
        assert(logFits == 0 || logFits == 1);
        assert(fits == 0 || fits == 1);
        assert(memchr(log, 0, LOG_ARG_SIZE) && memchr(unknown, 0, UNKNOWN_SIZE));
        assert(!strchr(log, '"') && !strchr(unknown, '"'));  // a quote never reaches a path
        if (logFits && log[0])
            assert(options & OPTION_LOG);
        if (program == OPTIONS_REMOVAL) {
            assert(!(options & OPTION_FOLDER));
            continue;
        }
        assert(memchr(folder, 0, FOLDER_ARG_SIZE));          // always terminated within the buffer
        if (!fits)
            assert(folder[0] == 0);                          // nothing truncated survives
        assert(!strchr(folder, '"'));
        if ((options & OPTION_SILENT) && fits) {
            char dest[200];
            if (TextCopy(dest, sizeof dest, folder) && TextEnsureBackslash(dest, sizeof dest) &&
                InstallFoldersFit("C:\\Package\\", dest)) {
                char run[STEP_PATH_SIZE];                    // what the check promises the steps
                assert(TextJoin(run, sizeof run, dest, "vorel12a.exe"));
                assert(!strpbrk(dest, "<>|*?") && (dest[1] == ':' || (dest[0] == '\\' && dest[1] == '\\')));
            }
        }
    }
    char* root = new char[80];
    if (DriveRoot(text.data(), root, 80))
        assert(strncmp(root, text.data(), strlen(root)) == 0);  // a prefix of the text
    delete[] root;
    delete[] folder;
    delete[] log;
    delete[] unknown;
    return 0;
}
