// What setup and the uninstaller derive from the Run value, the folder
// guard and the enumerator keys, without system calls.
#ifndef TANDREL_RUNFOLDER_H
#define TANDREL_RUNFOLDER_H

// The folder part of the agent's path, up to and including its last
// backslash at index 1 or later, when the file part is the agent's own name
// in any letter case. 0 otherwise or when the folder does not fit.
int FolderFromRunValue(const char* value, char* folder, unsigned cap);
// Whether clearing a folder can only reach files setup installed. folder is
// the text as found, resolved its full path as the system resolved it. The
// text must be a full path (a drive or a server share, not a device path);
// the resolved path must not be a drive or share root, the Windows folder,
// the system folder or its Drivers folder, nor have a part that ends in a
// dot or a blank (the file functions drop those and reach another folder).
int IsFolderSafeToClear(const char* folder, const char* resolved, const char* windowsDir, const char* systemDir);
// "Enum\Root\Keyboard\" and n as four digits, for n from 0 to 99.
int EnumKeyName(unsigned n, char* out, unsigned cap);

#endif
