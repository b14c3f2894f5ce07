// Whether an installation can be made whole from and into the given
// folders, without system calls. Checked once before the first install
// step, so that no step skips itself half way through an installation.
#ifndef SETUP_INSTALLPATHS_H
#define SETUP_INSTALLPATHS_H

// The copy arguments, the uninstaller and driver copies and the Run value.
#define STEP_PATH_SIZE 100

// 1 when source (setup's own folder) and dest (with its trailing backslash)
// leave room for every path the install steps build from them, and dest is
// an absolute folder, "X:\..." or "\\server\share\...", that Windows can
// create under exactly that name.
int InstallFoldersFit(const char* source, const char* dest);

#endif
