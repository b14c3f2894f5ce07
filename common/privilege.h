#ifndef TANDREL_PRIVILEGE_H
#define TANDREL_PRIVILEGE_H

inline constexpr char SZ_SHUTDOWN_PRIVILEGE[] = "SeShutdownPrivilege";

// Enables (on != 0) or disables a privilege of the process token. Non-zero
// when the token was adjusted, even if the privilege is not held.
int SwitchPrivilege(const char* name, int on);

#endif
