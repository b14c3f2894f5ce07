# Source lists of the three programs. The pure-core files are the ones that
# make no system call; they are also built for the host.
set(COMMON_PURE common/text.cpp common/cmdtail.cpp common/record.cpp common/runfolder.cpp)
set(COMMON_WIN32 common/platform.cpp common/registry.cpp common/privilege.cpp common/window.cpp common/walk.cpp
    common/leadbyte.cpp common/folders.cpp common/stringbox.cpp common/modulefolder.cpp
    common/agentclose.cpp common/restartfile.cpp common/installlock.cpp common/folderguard.cpp common/log.cpp)

set(AGENT_PURE agent/keyrecord.cpp)
set(AGENT_WIN32 agent/agentmain.cpp agent/mainwindow.cpp agent/trayicon.cpp agent/drivechannel.cpp
    agent/keyreader.cpp agent/power.cpp agent/helpabout.cpp)

set(SETUP_PURE setup/cmdline.cpp setup/sizetext.cpp setup/installpaths.cpp)
set(SETUP_WIN32 setup/setupmain.cpp setup/copyfiles.cpp setup/register.cpp setup/shortcuts.cpp
    setup/chooser.cpp setup/restart.cpp setup/setupdialog.cpp setup/installrecord.cpp setup/syslib.cpp
    setup/foldersecurity.cpp setup/placefiles.cpp setup/startagent.cpp setup/servicesecurity.cpp)

set(UNINSTALL_PURE)
set(UNINSTALL_WIN32 uninstall/uninstallmain.cpp uninstall/servicermv.cpp
    uninstall/removal.cpp)

# The host builds take their lead bytes from a table of their own.
set(PURE_CORE ${COMMON_PURE} ${AGENT_PURE} ${SETUP_PURE} ${UNINSTALL_PURE} tests/host/leadbyte_table.cpp)
list(TRANSFORM PURE_CORE PREPEND ${CMAKE_CURRENT_LIST_DIR}/../ OUTPUT_VARIABLE PURE_CORE_ABS)
