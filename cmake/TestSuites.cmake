# One ctest entry per GoogleTest suite of a test program. Under Wine most of a test's cost is
# starting its process, so a suite's tests share one; on failure its output names the test.
# The program runs under the emulator, so its suites are listed when ctest starts rather than
# at build time. Suites whose names match the SERIAL expression run alone; those that match
# SMALL_DRIVE fill or weigh the one small drive, and run one at a time; so do those that match
# STICKS, which each expect the stick drives to themselves.
#
#   corvelle_add_test_suites(TARGET [SERIAL regex] [SMALL_DRIVE regex] [STICKS regex]
#                            [TIMEOUT seconds])
set(CORVELLE_LIST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/ListTestSuites.cmake)

function(corvelle_add_test_suites target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "SERIAL;SMALL_DRIVE;STICKS;TIMEOUT" "")
    if(NOT arg_SERIAL)
        set(arg_SERIAL "^$")
    endif()
    if(NOT arg_SMALL_DRIVE)
        set(arg_SMALL_DRIVE "^$")
    endif()
    if(NOT arg_STICKS)
        set(arg_STICKS "^$")
    endif()
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
    file(GENERATE OUTPUT ${include_file} CONTENT
"set(program [==[$<TARGET_FILE:${target}>]==])
set(emulator [==[${CMAKE_CROSSCOMPILING_EMULATOR}]==])
set(serial [==[${arg_SERIAL}]==])
set(small_drive [==[${arg_SMALL_DRIVE}]==])
set(sticks [==[${arg_STICKS}]==])
set(timeout ${arg_TIMEOUT})
set(working_directory [==[${CMAKE_CURRENT_BINARY_DIR}]==])
include([==[${CORVELLE_LIST_SUITES_SCRIPT}]==])
")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
