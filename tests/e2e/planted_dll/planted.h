// A planted DLL: a library of a system DLL's name, as a browser may drop one beside a downloaded program,
// built to tell on the program. It exports everything the system's library of that name exports and passes
// every call on to it, so that the process works as usual whoever loads it (Wine's own libraries load some
// of these by name as every program starts). Beside itself it keeps a log, which the driver reads:
//   loaded                     the planted copy came into the process (by the system or a library)
//   loaded by the program      ... and the program's own code asked for it
//   called NAME by the program the program's own code called one of its functions (once per function)
//   no system library          the system's library could not be reached to pass calls on
#pragma once

namespace planted {

// The log beside the planted DLL: its own file name with this added ("uxtheme.dll.log").
constexpr const wchar_t* kLogSuffix = L".log";
constexpr const char* kLoadedLine = "loaded";
constexpr const char* kByProgram = "by the program";

// One export of the library: its ordinal and its name (null for one exported by ordinal alone). Written
// for each library by make_forwarders.py.
struct Export {
    unsigned ordinal;
    const char* name;
};
extern const wchar_t* const kLibraryName;
extern const Export kExports[];
extern const unsigned kExportCount;

} // namespace planted
