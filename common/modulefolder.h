// The folder of a program's own executable.
#ifndef TANDREL_MODULEFOLDER_H
#define TANDREL_MODULEFOLDER_H
#include <windows.h>

// What GetModuleFileNameA is offered; a longer name is no name.
#define MODULE_NAME_SIZE 200

// The folder of instance's executable, with its closing backslash, into
// target: empty when the name has none or cannot be read. 0, and target
// empty, when the name does not fit MODULE_NAME_SIZE or the folder cap.
int ModuleFolder(HINSTANCE instance, char* target, unsigned cap);

#endif
