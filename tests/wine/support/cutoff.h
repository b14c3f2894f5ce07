// A run ended as a kill ends a process, at any change it makes to the
// machine, and the restart that finishes what a run left to it.
#ifndef TEST_CUTOFF_H
#define TEST_CUTOFF_H
#include <windows.h>
#include <functional>
#include <string>

// Runs fn on a thread of its own and ends that thread just before the k-th
// change (k from 1) that the thread makes to files, folders, the registry
// or the service manager. False when the run ended before its k-th change.
// A test's own hook on one of those calls acts beneath the cut.
bool RunCutAt(int k, const std::function<void()>& fn);
// The call that the last cut run did not make.
const char* CutCall();
// How many changes the running cut run has come to, the one being made
// included: a fault beneath the cut tells where it acted.
int ChangesSoFar();
// Runs a program of the build (a name beside the test's build folder, such
// as "vorel12u.exe") with a command line and returns its exit code.
DWORD RunBuiltProgram(const char* name, const std::string& args);
// What Windows does at the next start: the pending renames and deletions.
void CarryOutRestart();

#endif
