# Run by ctest: `vantrel_e2e.exe --list` must name exactly the cases that cases.cmake read from the sources,
# with the same time-outs, or a case registered in a form the scan does not read would never run.
#   cmake -DWINE=... -DDRIVER=vantrel_e2e.exe -DEXPECTED=e2e_cases.txt -P check_case_list.cmake
#
# A Wine loader that ends at once with nothing written has not run the driver at all (seen once on a fresh
# CI machine, 0.04 s after the previous case, status 1); that start is tried once more after a pause, and
# what the first one wrote is shown. A driver that printed something and then failed is not retried.
foreach(attempt 1 2)
    execute_process(COMMAND ${WINE} ${DRIVER} --list OUTPUT_VARIABLE listed ERROR_VARIABLE errors
                    RESULT_VARIABLE status)
    if(status EQUAL 0 OR NOT listed STREQUAL "" OR attempt EQUAL 2)
        break()
    endif()
    message(STATUS "the Wine loader ended with ${status} before the driver wrote anything; "
                   "its standard error:\n${errors}\ntrying once more")
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 2)
endforeach()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "vantrel_e2e.exe --list ended with ${status}\n"
                        "standard output:\n${listed}\nstandard error:\n${errors}")
endif()
file(READ ${EXPECTED} expected)
foreach(text IN ITEMS listed expected)
    string(REPLACE "\r" "" ${text} "${${text}}")
    string(REGEX REPLACE "\n$" "" ${text} "${${text}}")
    string(REPLACE "\n" ";" ${text} "${${text}}")
    list(SORT ${text})
endforeach()
set(missing ${listed})
list(REMOVE_ITEM missing ${expected})
set(unread ${expected})
list(REMOVE_ITEM unread ${listed})
if(missing OR unread)
    message(FATAL_ERROR "registered in the driver but not read by tests/e2e/cases.cmake: ${missing}\n"
                        "read by cases.cmake but not registered in the driver: ${unread}")
endif()
list(LENGTH listed count)
message(STATUS "the driver and CMake agree on ${count} cases")
