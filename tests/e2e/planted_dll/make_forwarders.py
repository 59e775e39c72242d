#!/usr/bin/env python3
"""Writes the export side of a planted DLL: one thunk for every export of the system's DLL of that name
(same ordinals, same names, the nameless ones nameless), so that whatever loads the planted copy finds
every function it imports, and each call reaches planted.cpp, which notes who called and passes the call
on to the system's own function.

    make_forwarders.py SYSTEM_DLL NAME OUT_DEF OUT_CPP

SYSTEM_DLL is a 64-bit PE file whose export table is copied (Wine's own build of the library); NAME the
library's file name (uxtheme.dll). OUT_DEF is the module definition file, OUT_CPP the thunks and the table
of exports that planted.cpp reads.
"""
import struct
import sys


def read_exports(path):
    data = open(path, "rb").read()
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"{path}: not a PE file")
    sections_count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    if magic != 0x20B:
        raise SystemExit(f"{path}: not a 64-bit PE file")
    export_rva, export_size = struct.unpack_from("<II", data, optional + 112)
    sections = []
    table = optional + optional_size
    for i in range(sections_count):
        at = table + 40 * i
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", data, at + 8)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise SystemExit(f"{path}: RVA {rva:#x} lies in no section")

    def string(rva):
        at = offset(rva)
        return data[at:data.index(b"\0", at)].decode("ascii")

    if not export_rva:
        return []
    d = offset(export_rva)
    base, functions, names, functions_rva, names_rva, ordinals_rva = struct.unpack_from("<IIIIII", data, d + 16)
    by_index = {}
    for i in range(names):
        (name_rva,) = struct.unpack_from("<I", data, offset(names_rva) + 4 * i)
        (index,) = struct.unpack_from("<H", data, offset(ordinals_rva) + 2 * i)
        by_index[index] = string(name_rva)
    exports = []
    for index in range(functions):
        (rva,) = struct.unpack_from("<I", data, offset(functions_rva) + 4 * index)
        if rva:
            exports.append((base + index, by_index.get(index)))
    return exports


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    system_dll, name, out_def, out_cpp = sys.argv[1:]
    exports = read_exports(system_dll)
    if not exports:
        raise SystemExit(f"{system_dll}: no exports")

    lines = [f"LIBRARY {name}", "EXPORTS"]
    for i, (ordinal, export) in enumerate(exports):
        if export:
            lines.append(f"    {export}=planted_thunk_{i} @{ordinal}")
        else:
            lines.append(f"    planted_thunk_{i} @{ordinal} NONAME")
    open(out_def, "w").write("\n".join(lines) + "\n")

    asm = [".text"]
    for i in range(len(exports)):
        asm += [f".globl planted_thunk_{i}", f"planted_thunk_{i}:", f"    movl ${i}, %eax", "    jmp planted_common"]
    def entry(ordinal, export):
        return "    {%d, %s}" % (ordinal, '"%s"' % export if export else "nullptr")

    table = ",\n".join(entry(ordinal, export) for ordinal, export in exports)
    thunks = "\n".join(asm)
    cpp = f"""// Written by make_forwarders.py from the export table of {name}: do not edit.
#include "tests/e2e/planted_dll/planted.h"

const wchar_t* const planted::kLibraryName = L"{name}";
const planted::Export planted::kExports[] = {{
{table}
}};
const unsigned planted::kExportCount = {len(exports)};

// Each thunk hands its number to the common part (planted.cpp), which passes the call on.
asm(R"(
{thunks}
)");
"""
    open(out_cpp, "w").write(cpp)


main()
