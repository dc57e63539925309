# Read by ctest when it starts (see TestSuites.cmake): lists the program's suites and adds a
# test for each. A program that cannot list them stops ctest with its output.
execute_process(COMMAND ${emulator} ${program} --gtest_list_tests
                WORKING_DIRECTORY ${working_directory}
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status
                TIMEOUT 300)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "Listing the tests of ${program} failed (${status}):\n${listing}${errors}")
endif()
# Suite lines start at the margin ("Suite." or "Prefix/Suite."); their tests are indented.
string(REPLACE "\r" "" listing "${listing}")
string(REGEX MATCHALL "\n[A-Za-z0-9_/]+\\." suites "\n${listing}")
if(NOT suites)
    message(FATAL_ERROR "${program} lists no tests:\n${listing}")
endif()
foreach(suite IN LISTS suites)
    string(REGEX REPLACE "^\n(.*)\\.$" "\\1" suite "${suite}")
    add_test(${suite} ${emulator} ${program} --gtest_filter=${suite}.*)
    set_tests_properties(${suite} PROPERTIES TIMEOUT ${timeout} WORKING_DIRECTORY ${working_directory})
    if(suite MATCHES "${serial}")
        set_tests_properties(${suite} PROPERTIES RUN_SERIAL TRUE)
    endif()
    if(suite MATCHES "${small_drive}")
        set_tests_properties(${suite} PROPERTIES RESOURCE_LOCK small_drive)
    endif()
    if(suite MATCHES "${sticks}")
        set_tests_properties(${suite} PROPERTIES RESOURCE_LOCK sticks)
    endif()
endforeach()
