// The one-level directory walk that setup's copy and size steps and the
// uninstaller's folder clearing share.
#ifndef TANDREL_WALK_H
#define TANDREL_WALK_H

typedef void (*EntryFn)(const char* name, void* context);

// Calls fn for every entry of the current directory ("*.*") except "." and "..".
void ForEachEntry(EntryFn fn, void* context);

#endif
