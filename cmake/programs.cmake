# The three programs, built without the C runtime. Each program's code is a
# static library so that the wine tests link the very same objects.

set(PROGRAM_FLAGS
    -Oz -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-stack-protector -fno-threadsafe-statics -ffunction-sections
    -fno-tree-loop-distribute-patterns
    -fno-ident -fomit-frame-pointer -fno-tree-loop-optimize -fno-optimize-sibling-calls -fno-shrink-wrap
    -Wall -Wextra)

# The shipped build optimises across files: about 1.5 KB less for setup.
# The test builds link the same code as ordinary objects.
option(PROGRAM_LTO "link-time optimisation of the programs" OFF)
if(PROGRAM_LTO)
    list(APPEND PROGRAM_FLAGS -flto)
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The system's calls need no more than the 4 bytes the ABI keeps.
    list(APPEND PROGRAM_FLAGS -mpreferred-stack-boundary=2)
    set(ENTRY_SYMBOL _WinMainCRTStartup)
else()
    set(ENTRY_SYMBOL WinMainCRTStartup)
endif()


# Only KnownDLLs: anything else is loaded from the system folder at run time.
set(SYSTEM_LIBS kernel32 user32 gdi32 advapi32 shell32)

function(program_library name)
    add_library(${name} STATIC ${ARGN})
    target_compile_options(${name} PRIVATE ${PROGRAM_FLAGS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/common)
    target_compile_definitions(${name} PRIVATE WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0400
        NOMINMAX STRICT)
endfunction()

program_library(common_code ${COMMON_PURE} ${COMMON_WIN32})
program_library(agent_code ${AGENT_PURE} ${AGENT_WIN32})
program_library(setup_code ${SETUP_PURE} ${SETUP_WIN32})
program_library(uninstall_code ${UNINSTALL_PURE} ${UNINSTALL_WIN32})
foreach(lib agent_code setup_code uninstall_code)
    target_link_libraries(${lib} PUBLIC common_code ${SYSTEM_LIBS})
endforeach()

# Icons are drawn by a script, not checked in as pictures.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ICON_DIR ${CMAKE_BINARY_DIR}/icons)
file(MAKE_DIRECTORY ${ICON_DIR})
foreach(pic agent setup uninstall)
    add_custom_command(OUTPUT ${ICON_DIR}/${pic}.ico
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/mkicon.py ${pic} ${ICON_DIR}/${pic}.ico
        DEPENDS ${PROJECT_SOURCE_DIR}/tools/mkicon.py VERBATIM)
endforeach()
add_custom_target(icons DEPENDS ${ICON_DIR}/agent.ico ${ICON_DIR}/setup.ico ${ICON_DIR}/uninstall.ico)

# The manifests (RT_MANIFEST 1) declare the rights each program needs, so
# Windows from Vista on neither guesses nor redirects writes to a virtual
# store. They name no common controls 6, so XP keeps the classic look, and
# declare trustInfo's asm.v2 namespace once: XP refuses trustInfo without it,
# and XP SP2 restarts on a tag that declares its namespace twice.
set(MANIFESTS ${PROJECT_SOURCE_DIR}/common/admin.manifest ${PROJECT_SOURCE_DIR}/common/invoker.manifest)

# A program's resources as an object library, so tests can carry them too.
function(program_resources name rc ico)
    add_library(${name} OBJECT ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${ICON_DIR}/${ico};${MANIFESTS}")
    target_include_directories(${name} PRIVATE ${ICON_DIR} ${PROJECT_SOURCE_DIR}/common)
    add_dependencies(${name} icons)
endfunction()

program_resources(agent_res agent/agent.rc agent.ico)
program_resources(setup_res setup/setup.rc setup.ico)
program_resources(uninstall_res uninstall/uninstall.rc uninstall.ico)

function(program name code res)
    add_executable(${name} WIN32 ${PROJECT_SOURCE_DIR}/common/crt0.cpp $<TARGET_OBJECTS:${res}>)
    target_compile_options(${name} PRIVATE ${PROGRAM_FLAGS})
    target_link_options(${name} PRIVATE
        -nostdlib -nostartfiles -s
        -Wl,-e,${ENTRY_SYMBOL}
        -Wl,--gc-sections
        -Wl,--subsystem,windows:4.0
        -Wl,--major-os-version,4 -Wl,--minor-os-version,0
        -Wl,--disable-dynamicbase -Wl,--disable-reloc-section
        -Wl,--no-insert-timestamp
        -Wl,-Map,${CMAKE_CURRENT_BINARY_DIR}/${name}.map
        $<$<BOOL:${PROGRAM_LTO}>:-flto -Oz>)
    target_link_libraries(${name} PRIVATE ${code} ${SYSTEM_LIBS} gcc)
    set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
endfunction()

program(vorel12a agent_code agent_res)
program(setup setup_code setup_res)
program(vorel12u uninstall_code uninstall_res)
