// The reader thread (NT family): waits for the driver's event, reads the
// queued key records and posts the power command for each released Power or
// Sleep key. It never acts itself and never waits for the main thread.
#include "agent.h"
#include "keyrecord.h"

static unsigned char g_readBuffer[READ_BUFFER_SIZE];

static int Running()
{
    return g_running != 0;
}

DWORD WINAPI ReaderThread(LPVOID event)
{
    if (!Running())
        return 0;
    for (;;) {
        WaitForSingleObject((HANDLE)event, INFINITE);
        if (!Running())
            break;
        DWORD got = 0;
        if (ReadFile(g_device, g_readBuffer, READ_BUFFER_SIZE, &got, NULL)) {
            unsigned n = KeyRecordCount(got, READ_BUFFER_SIZE);
            for (unsigned i = 0; i < n; i++) {
                unsigned action = KeyRecordAction(g_readBuffer + i * KEY_RECORD_SIZE);
                if (action)
                    PostMessageA(g_mainWindow, WM_COMMAND, CMD_POWER, action);
            }
        }
        if (!Running())
            break;
    }
    return 0;
}
