// Calls recorded on their way to the real system: what a test only watches.
#ifndef TEST_OBSERVERS_H
#define TEST_OBSERVERS_H
#include <windows.h>
#include <memory>

// Records "CreateDirectoryA(path, descriptor)", the descriptor's DACL in
// SDDL form or NULL without security attributes, then creates the folder:
// Wine keeps only what Unix mode bits can hold of the descriptor.
BOOL WINAPI ObserveCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sa);

// While it lives, each removal step's call (file, folder, registry, service
// manager, the agent's message, a deletion left to the restart) is
// recorded, then done.
struct RemovalRecorder {
    struct Hooks;
    std::unique_ptr<Hooks> hooks;
    RemovalRecorder();
    ~RemovalRecorder();
};

#endif
