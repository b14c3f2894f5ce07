// What the uninstaller derives from the Run value and the enumerator keys,
// without system calls.
#ifndef UNINSTALL_RUNFOLDER_H
#define UNINSTALL_RUNFOLDER_H

// The folder part of the agent's path, up to and including its last
// backslash at index 1 or later. 0 when there is no such backslash or the
// folder does not fit.
int FolderFromRunValue(const char* value, char* folder, unsigned cap);
// Whether clearing folder can only reach files setup installed: it is not
// empty, not a drive or share root, and not the Windows or system folder.
int IsFolderSafeToClear(const char* folder, const char* windowsDir, const char* systemDir);
// "Enum\Root\Keyboard\" and n as four digits, for n from 0 to 99.
int EnumKeyName(unsigned n, char* out, unsigned cap);

#endif
