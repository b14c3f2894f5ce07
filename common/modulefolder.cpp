#include "modulefolder.h"
#include "text.h"

int ModuleFolder(HINSTANCE instance, char* target, unsigned cap)
{
    char module[MODULE_NAME_SIZE];
    DWORD n = GetModuleFileNameA(instance, module, sizeof module);
    // A truncated name is no folder, and none is looked for elsewhere.
    if (n >= sizeof module) {
        TextCopy(target, cap, "");
        return 0;
    }
    module[n ? TextAfterLastBackslash(module, 0) : 0] = 0;
    return TextCopy(target, cap, module);
}
