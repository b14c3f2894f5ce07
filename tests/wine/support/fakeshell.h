// The desktop shell's dispatch chain as setup walks it to start the agent:
// CoCreateInstance (which setup reaches through GetProcAddress) answers
// ShellWindows with fake objects, one per step, that answer just the call
// setup makes; every other class comes from the real ole32. The shell's
// ShellExecute is recorded as
// "IShellDispatch2::ShellExecute(file, args, dir, verb, show)".
#ifndef TEST_FAKESHELL_H
#define TEST_FAKESHELL_H
#include <memory>

struct FakeShell {
    // The step that does not answer (NONE: every step does). NO_DESKTOP:
    // FindWindowSW finds no desktop shell in the session (S_FALSE, no object).
    enum Step { NONE, CREATE, NO_DESKTOP, FIND, PROVIDER, BROWSER, VIEW, BACKGROUND, FOLDER_VIEW, APPLICATION,
                DISPATCH2, EXECUTE, STEPS };
    Step failing = CREATE;
    // References handed out and not released.
    int held = 0;

    FakeShell();
    ~FakeShell();
    std::shared_ptr<void> proc;
};

#endif
