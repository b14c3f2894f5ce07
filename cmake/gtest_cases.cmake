# One CTest test per TEST()/TEST_F(), found in the sources at configure time.
# Under Wine each test runs in its own process, so the programs' globals
# start fresh for every test.
function(add_gtest_cases target prefix)
    cmake_parse_arguments(ARG "" "" "SOURCES;PROPERTIES" ${ARGN})
    foreach(src ${ARG_SOURCES})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
        file(STRINGS ${src} lines REGEX "^TEST(_F)?\\(")
        foreach(line ${lines})
            string(REGEX REPLACE "^TEST(_F)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)\\).*" "\\2.\\3" case "${line}")
            add_test(NAME ${prefix}.${case} COMMAND ${target} --gtest_filter=${case})
            # A case that cannot apply to this architecture skips with its reason.
            set_tests_properties(${prefix}.${case} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
            if(ARG_PROPERTIES)
                set_tests_properties(${prefix}.${case} PROPERTIES ${ARG_PROPERTIES})
            endif()
        endforeach()
    endforeach()
endfunction()
