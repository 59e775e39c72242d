# The end-to-end cases, read from the tables in which the driver's sources register them
# (tests/e2e/case_registry.h): each row `{"name", caseFunction}` is one case (the functions' names start with
# "case"); a third number in a row, `{"name", caseFunction, seconds}`, is the ctest time-out of a case that
# needs longer than the usual one. Sets VANTREL_E2E_CASES (the names) and VANTREL_E2E_TIMEOUT_<name>, and
# writes the list as `vantrel_e2e.exe --list` prints it to VANTREL_E2E_CASE_LIST, for the case that
# compares the two. Editing a source configures again.
set(VANTREL_E2E_CASES "")
set(VANTREL_E2E_CASE_LIST ${CMAKE_BINARY_DIR}/e2e_cases.txt)
set(case_list_text "")
foreach(source IN LISTS VANTREL_E2E_SOURCES)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(READ ${source} text)
    string(REGEX MATCHALL "{\"[a-z0-9_]+\", *case[A-Za-z0-9_]*(, *[0-9]+)?}" rows "${text}")
    foreach(row IN LISTS rows)
        string(REGEX MATCH "^{\"([a-z0-9_]+)\", *case[A-Za-z0-9_]*(, *([0-9]+))?}$" matched "${row}")
        set(name ${CMAKE_MATCH_1})
        if(name IN_LIST VANTREL_E2E_CASES)
            message(FATAL_ERROR "end-to-end case ${name} is registered twice (again in ${source})")
        endif()
        list(APPEND VANTREL_E2E_CASES ${name})
        if(CMAKE_MATCH_3)
            set(VANTREL_E2E_TIMEOUT_${name} ${CMAKE_MATCH_3})
            string(APPEND case_list_text "${name} ${CMAKE_MATCH_3}\n")
        else()
            string(APPEND case_list_text "${name}\n")
        endif()
    endforeach()
endforeach()
file(WRITE ${VANTREL_E2E_CASE_LIST} "${case_list_text}")
