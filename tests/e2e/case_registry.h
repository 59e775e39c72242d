// The end-to-end cases. Each file registers its cases in a table of rows `{"name", caseFunction}`, or
// `{"name", caseFunction, seconds}` for a case that needs longer than ctest's usual limit. CMake reads those
// rows from the sources (by that shape: the functions' names start with "case") to make one ctest test of
// each (tests/e2e/cases.cmake), so a new row is all a new case needs; `vantrel_e2e.exe CASE` runs one.
#pragma once

#include <vector>

namespace e2e {

struct Case {
    const char* name;
    void (*run)();
    int timeoutSeconds; // 0: ctest's usual limit
};
const std::vector<Case>& registeredCases();
struct RegisterCase {
    RegisterCase(const char* name, void (*run)(), int timeoutSeconds = 0);
};

} // namespace e2e
