// Ends the running key agents of this desktop before their files change.
#ifndef TANDREL_AGENTCLOSE_H
#define TANDREL_AGENTCLOSE_H
#include <windows.h>

// Each agent is asked every AGENT_PROBE_MS whether it still answers, and
// left once it has not answered for AGENT_SILENT_MS (the time after which
// Windows itself calls a window hung).
#define AGENT_PROBE_MS   500
#define AGENT_SILENT_MS  5000
#define AGENT_PAUSE_MS   1000
#define AGENT_MAX        8

// Sends WM_DESTROY to every agent window, then waits for each, answering
// the caller's own windows meanwhile. With bound 0 an agent that answers is
// waited for however long (a person sees its box); otherwise agents still
// running bound ms after the first message are left.
// *found counts the agents asked to end. 1 when none is left running.
int CloseAgents(DWORD bound, int* found);

#endif
