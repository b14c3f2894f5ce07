// Names and paths of the installation, shared by setup, the agent and the
// uninstaller. Names joined to a folder root carry no leading backslash;
// TextJoin puts one in where the root needs it.
#ifndef TANDREL_FOOTPRINT_H
#define TANDREL_FOOTPRINT_H

// Package layout beside setup.exe
inline constexpr char SZ_SRC_FILES[] = "Files\\";
inline constexpr char SZ_SRC_FILES_DIR[] = "Files";
inline constexpr char SZ_SRC_KERNEL_DIR[] = "Kernel";
inline constexpr char SZ_SRC_UNINST_DIR[] = "Uninst";
inline constexpr char SZ_SRC_HELP[] = "Files\\vorel12.htm";
inline constexpr char SZ_SRC_DRIVER[] = "Kernel\\vorel12s.sys";
inline constexpr char SZ_SRC_UNINSTALLER[] = "Uninst\\vorel12u.exe";

// Installed files
inline constexpr char SZ_DEFAULT_DEST[] = "C:\\Tandrel\\";
inline constexpr char SZ_AGENT_EXE[] = "vorel12a.exe";
inline constexpr char SZ_HELP_FILE[] = "vorel12.htm";
inline constexpr char SZ_UNINSTALLER_EXE[] = "vorel12u.exe";
inline constexpr char SZ_DRIVER_UNDER_WINDIR[] = "System32\\Drivers\\vorel12s.sys";
inline constexpr char SZ_DRIVER_UNDER_SYSDIR[] = "Drivers\\vorel12s.sys";
inline constexpr char SZ_VXD_FILE[] = "vorel12v.vxd";

// Start menu
inline constexpr char SZ_SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char SZ_PROGRAMS_VALUE[] = "Programs";
inline constexpr char SZ_MENU_FOLDER[] = "Tandrel";
inline constexpr char SZ_LINK_ABOUT[] = "Tandrel About.lnk";
inline constexpr char SZ_LINK_HELP[] = "Tandrel Help.lnk";
inline constexpr char SZ_LINK_UNINSTALL[] = "Uninstall Tandrel.lnk";
inline constexpr char SZ_DESC_ABOUT[] = "Tandrel About";
inline constexpr char SZ_DESC_HELP[] = "Tandrel Help";
inline constexpr char SZ_DESC_UNINSTALL[] = "Uninstallation";

// Registry
inline constexpr char SZ_RUN_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char SZ_RUN_VALUE[] = "VOREL12";
inline constexpr char SZ_UNINSTALL_KEY_SETUP[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOREL12";
inline constexpr char SZ_UNINSTALL_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOREL12";
inline constexpr char SZ_DISPLAY_NAME[] = "DisplayName";
inline constexpr char SZ_UNINSTALL_STRING[] = "UninstallString";
inline constexpr char SZ_QUIET_UNINSTALL_STRING[] = "QuietUninstallString";
inline constexpr char SZ_QUIET_SWITCH[] = " -s";
inline constexpr char SZ_DISPLAY_VERSION[] = "DisplayVersion";
inline constexpr char SZ_VERSION[] = "2.01";
inline constexpr char SZ_PUBLISHER[] = "Publisher";
inline constexpr char SZ_MAKER[] = "Ossivane";
inline constexpr char SZ_DISPLAY_ICON[] = "DisplayIcon";
inline constexpr char SZ_ESTIMATED_SIZE[] = "EstimatedSize";
inline constexpr char SZ_NO_MODIFY[] = "NoModify";
inline constexpr char SZ_NO_REPAIR[] = "NoRepair";

// The install record, two values of the Uninstall entry: the names setup
// copied into the destination folder and the links it made in the
// Start-menu folder, separated by '*'. Removal deletes those names and no
// others; an install without a record had the package's own names.
inline constexpr char SZ_RECORD_FILES[] = "InstalledFiles";
inline constexpr char SZ_RECORD_LINKS[] = "InstalledLinks";
// Each value is one or more groups: a folder (it ends in a backslash) and
// the names in it. Names before the first folder are an older install's,
// in the folder the Run value names (files) or in the Programs folder (links).
inline constexpr unsigned RECORD_SIZE = 2048;
inline constexpr char SZ_PACKAGE_FILES[] = "vorel12a.exe*vorel12.htm*vorel12v.vxd";
inline constexpr char SZ_PACKAGE_LINKS[] = "Tandrel About.lnk*Tandrel Help.lnk*Uninstall Tandrel.lnk";
inline constexpr char SZ_CLSID_KEY[] = "CLSID\\{DA656D61-DB61-11d2-9ABC-0080C81EB1F1}";
inline constexpr char SZ_PROPSHEET_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Keyboard\\shellex\\PropertySheetHandlers\\VOREL12";
inline constexpr char SZ_ENUM_KEY_PREFIX[] = "Enum\\Root\\Keyboard\\";
inline constexpr char SZ_MFG_VALUE[] = "Mfg";
inline constexpr char SZ_MFG_MATCH[] = "IDD ACPI10\tKey";

// Driver and windows
inline constexpr char SZ_SERVICE[] = "VOREL12";
inline constexpr char SZ_DEVICE[] = "\\\\.\\VOREL12";
inline constexpr char SZ_VXDLDR[] = "\\\\.\\VXDLDR";
inline constexpr char SZ_VXD_MODULE[] = "VOREL12";
inline constexpr char SZ_AGENT_CLASS[] = "ZNVACPI10";
inline constexpr char SZ_SETUP_CLASS[] = "SetupOVClass";
inline constexpr char SZ_UNINSTALL_CLASS[] = "VOREL12UNST";

// One setup or removal at a time on the machine: this file in the system
// folder, held open without sharing. One agent per session: a named mutex.
inline constexpr char SZ_INSTALL_LOCK[] = "\\vorel12.lck";
inline constexpr char SZ_AGENT_LOCK[] = "VOREL12.Agent";
// An unattended run (setup -s, vorel12u -s) gives running agents this long
// to end, then goes on without them: an agent's own stop takes at most about
// a second (it waits 1 s for its reader), so an agent still running after
// ten is inside a box that no person will answer.
inline constexpr unsigned AGENT_CLOSE_BOUND_MS = 10000;
// A file in use gets its new copy beside it under this suffix, and the next
// restart moves it into place.
inline constexpr char SZ_PENDING_SUFFIX[] = ".new";
// An upgrade keeps a copy of each file it replaces under this suffix until
// every new file is in place, so that a failure can put the old one back.
inline constexpr char SZ_BACKUP_SUFFIX[] = ".old";
// A file that another program holds for a moment (a virus scanner after a
// write) is tried again every HOLD_PAUSE_MS for at most HOLD_BOUND_MS before
// it is taken for a file in use.
inline constexpr unsigned HOLD_BOUND_MS = 2000;
inline constexpr unsigned HOLD_PAUSE_MS = 100;
// A removal that left anything for the restart leaves this file in the
// system folder, and the restart deletes it with the rest: until then setup
// refuses, since the restart would delete what it installs.
inline constexpr char SZ_REMOVAL_MARKER[] = "\\vorel12u.pending";

// Folder in the system folder that the driver package's own installer uses
inline constexpr char SZ_VOREL12_DIR[] = "VOREL12\\";
inline constexpr char SZ_HELP_UNDER_SYSDIR[] = "vorel12\\tandrel.htm";

#endif
