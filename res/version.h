// The program's version: the only place its numbers are written. The resource script takes its version
// record from here, CMake reads the numbers for the project and the manifest, and the tests take the
// version they expect to see from here.
#pragma once

#define VANTREL_VERSION_MAJOR 1
#define VANTREL_VERSION_MINOR 0
#define VANTREL_VERSION_PATCH 1
#define VANTREL_VERSION_BUILD 105

// Two steps, so that the argument's macros are expanded before it becomes a string.
#define VANTREL_STRINGISE_(x) #x
#define VANTREL_STRINGISE(x) VANTREL_STRINGISE_(x)

// The four numbers joined by a separator: VANTREL_VERSION_JOINED("-") is "1-0-1-105" (string literals side by
// side, which windres joins as C does).
#define VANTREL_VERSION_JOINED(separator)                                                                    \
    VANTREL_STRINGISE(VANTREL_VERSION_MAJOR)                                                                 \
    separator VANTREL_STRINGISE(VANTREL_VERSION_MINOR)                                                       \
    separator VANTREL_STRINGISE(VANTREL_VERSION_PATCH)                                                       \
    separator VANTREL_STRINGISE(VANTREL_VERSION_BUILD)

// "1.0.1.105": the version record's FileVersion and ProductVersion.
#define VANTREL_VERSION_TEXT VANTREL_VERSION_JOINED(".")
