// End-to-end cases of the About box's version line, each run on a private copy of vantrel.exe whose version
// record has been rewritten: a record that is missing or unusable gives the name alone, a ProductVersion is
// reshaped and cut, a failed lookup is tried again at the next opening and a successful one is kept (the
// record is changed inside the running image for that).
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/files.h"
#include "tests/e2e/processes.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <psapi.h>
#include <winver.h>

#include <cstring>

using namespace e2e;
using namespace support;

namespace {

constexpr WORD kJapanese = 0x0411;
const wchar_t kNameOnly[] = L"Vantrel ";

// ---------------------------------------------------------------- version record builder

// One node of a version record: wLength, wValueLength, wType, the key, padding to 32 bits, the value, then
// the children, each starting on a 32-bit boundary.
struct VersionNode {
    std::wstring key;
    bool text = false;
    std::vector<BYTE> value; // a text value includes its terminating zero
    std::vector<VersionNode> children;
};

void putWord(std::vector<BYTE>& out, size_t word) {
    out.push_back(static_cast<BYTE>(word & 0xFF));
    out.push_back(static_cast<BYTE>((word >> 8) & 0xFF));
}

void padTo32Bits(std::vector<BYTE>& out) {
    while (out.size() % 4)
        out.push_back(0);
}

void writeNode(std::vector<BYTE>& out, const VersionNode& node) {
    padTo32Bits(out);
    const size_t start = out.size();
    putWord(out, 0); // wLength, known at the end
    putWord(out, node.text ? node.value.size() / sizeof(wchar_t) : node.value.size());
    putWord(out, node.text ? 1 : 0);
    for (wchar_t c : node.key)
        putWord(out, c);
    putWord(out, 0);
    padTo32Bits(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children)
        writeNode(out, child);
    const size_t length = out.size() - start;
    out[start] = static_cast<BYTE>(length & 0xFF);
    out[start + 1] = static_cast<BYTE>(length >> 8);
}

VersionNode stringNode(const std::wstring& key, const std::wstring& value) {
    VersionNode node{key, true, {}, {}};
    for (wchar_t c : value)
        putWord(node.value, c);
    putWord(node.value, 0);
    return node;
}

struct StringTable {
    std::wstring key; // language and code page, "041104b0"
    std::vector<std::pair<std::wstring, std::wstring>> strings;
};

struct VersionRecord {
    std::vector<WORD> translation; // the words of \VarFileInfo\Translation: language, code page, ...
    std::vector<StringTable> tables;
    bool varAfterTranslation = false; // another Var follows Translation, so padding comes after its value
};

std::vector<BYTE> buildVersionRecord(const VersionRecord& record) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = 0x00010000;
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = 0x00010069;
    fixed.dwFileFlagsMask = 0x3F;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_APP;
    VersionNode root{L"VS_VERSION_INFO", false, {}, {}};
    root.value.resize(sizeof fixed);
    std::memcpy(root.value.data(), &fixed, sizeof fixed);

    VersionNode stringInfo{L"StringFileInfo", true, {}, {}};
    for (const StringTable& table : record.tables) {
        VersionNode block{table.key, true, {}, {}};
        for (const auto& [key, value] : table.strings)
            block.children.push_back(stringNode(key, value));
        stringInfo.children.push_back(block);
    }
    VersionNode translation{L"Translation", false, {}, {}};
    for (WORD w : record.translation)
        putWord(translation.value, w);
    VersionNode varInfo{L"VarFileInfo", true, {}, {translation}};
    if (record.varAfterTranslation)
        varInfo.children.push_back(VersionNode{L"Extra", false, {0, 0, 0, 0}, {}});
    root.children = {stringInfo, varInfo};

    std::vector<BYTE> out;
    writeNode(out, root);
    return out;
}

// A Japanese string table (041104b0) with the usual strings and the given ProductVersion.
StringTable japaneseTable(const std::wstring& productVersion) {
    return {
        L"041104b0",
        {{L"FileVersion", L"1.0.1.105"}, {L"ProductName", L"Vantrel"}, {L"ProductVersion", productVersion}}};
}

// ---------------------------------------------------------------- copies of vantrel.exe

// version.dll is not linked into the driver: its functions are looked up once.
struct VersionApi {
    decltype(&GetFileVersionInfoSizeW) size = nullptr;
    decltype(&GetFileVersionInfoW) read = nullptr;
    decltype(&VerQueryValueW) query = nullptr;
};

template <class F> void lookUp(HMODULE module, const char* name, F& f) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    check(f != nullptr, std::string("version.dll has no ") + name);
}

const VersionApi& versionApi() {
    static VersionApi api;
    if (!api.query) {
        HMODULE module = LoadLibraryW(L"version.dll");
        check(module != nullptr, "cannot load version.dll, error " + std::to_string(GetLastError()));
        lookUp(module, "GetFileVersionInfoSizeW", api.size);
        lookUp(module, "GetFileVersionInfoW", api.read);
        lookUp(module, "VerQueryValueW", api.query);
    }
    return api;
}

// The version record of a file as GetFileVersionInfoW gives it (empty when there is none); `error` is the
// GetLastError of GetFileVersionInfoSizeW when it gives 0.
std::vector<BYTE> readVersionRecord(const std::wstring& path, DWORD* error = nullptr) {
    const VersionApi& api = versionApi();
    DWORD unused = 0;
    SetLastError(0);
    DWORD size = api.size(path.c_str(), &unused);
    if (error)
        *error = size ? 0 : GetLastError();
    if (!size)
        return {};
    std::vector<BYTE> block(size);
    check(api.read(path.c_str(), 0, size, block.data()),
          "GetFileVersionInfoW(" + narrow(path) + ") failed, error " + std::to_string(GetLastError()));
    return block;
}

// What VerQueryValueW answers for a text value of a record, for the log.
std::string queryText(const std::vector<BYTE>& block, const std::wstring& path) {
    void* value = nullptr;
    UINT chars = 0;
    if (!versionApi().query(block.data(), path.c_str(), &value, &chars) || !value)
        return "(none)";
    return quoted(std::wstring(static_cast<const wchar_t*>(value), chars));
}

// A resource type or name: a number or a string.
struct ResourceId {
    WORD number = 0;
    std::wstring text;
    explicit ResourceId(LPCWSTR id) {
        if (IS_INTRESOURCE(id))
            number = LOWORD(reinterpret_cast<ULONG_PTR>(id));
        else
            text = id;
    }
    LPCWSTR get() const { return text.empty() ? MAKEINTRESOURCEW(number) : text.c_str(); }
};

struct Resource {
    ResourceId type, name;
    WORD language;
    std::vector<BYTE> data;
};

BOOL CALLBACK addType(HMODULE, LPWSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<ResourceId>*>(list)->emplace_back(type);
    return TRUE;
}

BOOL CALLBACK addName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<ResourceId>*>(list)->emplace_back(name);
    return TRUE;
}

BOOL CALLBACK addLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

// Every resource of an executable except its version records.
std::vector<Resource> resourcesWithoutVersion(const std::wstring& path) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(module != nullptr,
          "cannot open " + narrow(path) + " for its resources, error " + std::to_string(GetLastError()));
    std::vector<Resource> all;
    std::vector<ResourceId> types;
    EnumResourceTypesW(module, addType, reinterpret_cast<LONG_PTR>(&types));
    for (const ResourceId& type : types) {
        if (type.text.empty() && type.number == LOWORD(reinterpret_cast<ULONG_PTR>(RT_VERSION)))
            continue;
        std::vector<ResourceId> names;
        EnumResourceNamesW(module, type.get(), addName, reinterpret_cast<LONG_PTR>(&names));
        for (const ResourceId& name : names) {
            std::vector<WORD> languages;
            EnumResourceLanguagesW(module, type.get(), name.get(), addLanguage,
                                   reinterpret_cast<LONG_PTR>(&languages));
            for (WORD language : languages) {
                HRSRC found = FindResourceExW(module, type.get(), name.get(), language);
                const BYTE* data =
                    found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
                check(data != nullptr, "cannot read a resource of " + narrow(path));
                all.push_back({type, name, language, {data, data + SizeofResource(module, found)}});
            }
        }
    }
    FreeLibrary(module);
    return all;
}

// The copy also carries kLaterRecord under this resource type, beside RT_VERSION (16) in the sorted resource
// directory, where no version lookup looks.
constexpr WORD kVersionType = 16;
constexpr WORD kParkedType = 17;
constexpr WORD kRetiredType = 15;

// The record parked in every copy, and the line it gives once it has become the version record.
const VersionRecord kLaterRecord{{kJapanese, 0x04B0}, {japaneseTable(L"4.5.6")}};
const wchar_t kLaterLine[] = L"Vantrel Ver.:4-5-6";

// Copies vantrel.exe to `path` with its version record replaced by `record` (RT_VERSION 1, Japanese), or
// without one when `record` is null, parks kLaterRecord, and reads the copy back to prove that the version
// record is the one wanted. The copy's resources are rebuilt from scratch from those of vantrel.exe: Wine's
// UpdateResourceW cannot delete one (the file's own resources are merged back in when the update ends).
void writeVantrelCopy(const std::wstring& path, const VersionRecord* record) {
    static const std::vector<Resource> others = resourcesWithoutVersion(vantrelPath());
    check(CopyFileW(vantrelPath().c_str(), path.c_str(), FALSE),
          "could not copy vantrel.exe to " + narrow(path) + ", error " + std::to_string(GetLastError()));
    std::vector<BYTE> bytes = record ? buildVersionRecord(*record) : std::vector<BYTE>{};
    std::vector<BYTE> parked = buildVersionRecord(kLaterRecord);
    HANDLE update = BeginUpdateResourceW(path.c_str(), TRUE);
    check(update != nullptr,
          "BeginUpdateResourceW(" + narrow(path) + ") failed, error " + std::to_string(GetLastError()));
    bool updated = true;
    for (const Resource& r : others)
        updated =
            updated && UpdateResourceW(update, r.type.get(), r.name.get(), r.language,
                                       const_cast<BYTE*>(r.data.data()), static_cast<DWORD>(r.data.size()));
    if (record)
        updated = updated && UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), kJapanese, bytes.data(),
                                             static_cast<DWORD>(bytes.size()));
    updated = updated && UpdateResourceW(update, MAKEINTRESOURCEW(kParkedType), MAKEINTRESOURCEW(1),
                                         kJapanese, parked.data(), static_cast<DWORD>(parked.size()));
    DWORD updateError = GetLastError();
    BOOL written = EndUpdateResourceW(update, !updated);
    check(updated, "UpdateResourceW failed, error " + std::to_string(updateError));
    check(written,
          "EndUpdateResourceW(" + narrow(path) + ") failed, error " + std::to_string(GetLastError()));
    expectEq("resources of the copy besides its version record (vantrel's and the parked one)",
             static_cast<long long>(others.size() + 1),
             static_cast<long long>(resourcesWithoutVersion(path).size()));

    DWORD error = 0;
    std::vector<BYTE> back = readVersionRecord(path, &error);
    if (!record) {
        check(back.empty(), "the copy still has a version record of " + std::to_string(back.size()) +
                                " bytes after it was deleted");
        sayKey("copy_version_record", "none (GetFileVersionInfoSizeW error " + std::to_string(error) + ")");
        return;
    }
    check(back.size() >= bytes.size() && std::memcmp(back.data(), bytes.data(), bytes.size()) == 0,
          "GetFileVersionInfoW on the copy does not give the " + std::to_string(bytes.size()) +
              "-byte record written (got " + std::to_string(back.size()) + " bytes)");
    void* translation = nullptr;
    UINT translationBytes = 0;
    versionApi().query(back.data(), L"\\VarFileInfo\\Translation", &translation, &translationBytes);
    std::string product;
    for (const StringTable& table : record->tables)
        product += " " + narrow(table.key) + ":" +
                   queryText(back, L"\\StringFileInfo\\" + table.key + L"\\ProductVersion");
    sayKey("copy_version_record", std::to_string(bytes.size()) + " bytes, Translation " +
                                      std::to_string(translationBytes) + " bytes, ProductVersion" + product);
}

// ---------------------------------------------------------------- the running copy's image

// A running program's version lookup is answered from its loaded image (LoadLibraryEx of a module that is
// already loaded gives that module), not from the file: replacing or updating the file changes nothing. So
// the record is changed where the lookup reads it, in the image's resource directory.

template <class T> T readRemote(HANDLE process, ULONG_PTR address) {
    T value{};
    SIZE_T got = 0;
    check(ReadProcessMemory(process, reinterpret_cast<void*>(address), &value, sizeof value, &got) &&
              got == sizeof value,
          "ReadProcessMemory at " + hex(reinterpret_cast<void*>(address)) + " failed, error " +
              std::to_string(GetLastError()));
    return value;
}

void writeRemoteWord(HANDLE process, ULONG_PTR address, WORD value) {
    void* at = reinterpret_cast<void*>(address);
    DWORD protection = 0;
    check(VirtualProtectEx(process, at, sizeof value, PAGE_READWRITE, &protection),
          "VirtualProtectEx at " + hex(at) + " failed, error " + std::to_string(GetLastError()));
    SIZE_T done = 0;
    BOOL written = WriteProcessMemory(process, at, &value, sizeof value, &done);
    DWORD error = GetLastError();
    VirtualProtectEx(process, at, sizeof value, protection, &protection);
    check(written && done == sizeof value,
          "WriteProcessMemory at " + hex(at) + " failed, error " + std::to_string(error));
    expectEq("word written at " + hex(at), value, readRemote<WORD>(process, address));
}

// In the running image, renames the resource type of the version record (if any) to kRetiredType and that of
// the parked record to RT_VERSION, keeping the directory sorted: the next lookup finds kLaterRecord.
void unparkLaterRecord(const Process& p) {
    HMODULE exe = nullptr;
    DWORD needed = 0;
    check(EnumProcessModules(p.handle(), &exe, sizeof exe, &needed) && exe,
          "EnumProcessModules(vantrel) failed, error " + std::to_string(GetLastError()));
    const ULONG_PTR base = reinterpret_cast<ULONG_PTR>(exe);
    const auto dos = readRemote<IMAGE_DOS_HEADER>(p.handle(), base);
    const auto nt = readRemote<IMAGE_NT_HEADERS64>(p.handle(), base + dos.e_lfanew);
    check(dos.e_magic == IMAGE_DOS_SIGNATURE && nt.Signature == IMAGE_NT_SIGNATURE,
          "no PE image at vantrel's module address " + hex(exe));
    const ULONG_PTR root =
        base + nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
    const auto directory = readRemote<IMAGE_RESOURCE_DIRECTORY>(p.handle(), root);
    ULONG_PTR version = 0, parked = 0;
    std::string types;
    for (int i = 0; i < directory.NumberOfIdEntries; ++i) {
        const ULONG_PTR entry = root + sizeof directory +
                                (directory.NumberOfNamedEntries + i) * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY);
        const WORD type = readRemote<IMAGE_RESOURCE_DIRECTORY_ENTRY>(p.handle(), entry).Id;
        types += " " + std::to_string(type);
        if (type == kVersionType)
            version = entry;
        if (type == kParkedType)
            parked = entry;
    }
    sayKey("running_image_resource_types", types);
    check(parked != 0, "the running image has no parked record (resource types:" + types + ")");
    if (version)
        writeRemoteWord(p.handle(), version, kRetiredType);
    writeRemoteWord(p.handle(), parked, kVersionType);
}

// ---------------------------------------------------------------- About box

// Opens the About box, checks its version line and closes it with OK (on a failure it stays open for the
// screenshot; cleanup closes it).
void expectAboutLine(const Process& p, HWND frame, const std::wstring& expected, const std::string& step) {
    HWND about = openAboutBox(p, frame, IDM_ABOUTBOX, 10000);
    check(about != nullptr,
          step + ": no About box appeared within 10 s; windows of the process:" + describeWindows(p.pid()));
    expectEq(step + ": caption", kAboutCaption, windowText(about));
    HWND line = GetDlgItem(about, IDC_VERSION);
    check(line != nullptr, step + ": the About box has no control " + std::to_string(IDC_VERSION));
    std::wstring text = windowText(line);
    sayKey("about_text", quoted(text));
    expectEq(step + ": version line", expected, text);
    HWND ok = GetDlgItem(about, IDOK);
    check(ok && sendMessageTimeout(ok, BM_CLICK, 0, 0), step + ": could not press OK");
    check(waitFor([&] { return !IsWindow(about); }, 5000), step + ": the About box is still open after OK");
}

// ---------------------------------------------------------------- cases

struct VersionRow {
    const char* name;
    const VersionRecord* record; // null: the copy has no version record at all
    std::wstring expected;       // the About line
};

// Starts a copy with the row's record and opens the About box twice. Then, in the running image, the parked
// kLaterRecord becomes the version record: a failed lookup must now succeed, a successful one must be kept.
void runVersionRow(const VersionRow& row) {
    const std::string name = std::string("row ") + row.name + ": ";
    say(std::string("row=") + row.name);
    TempDir dir;
    const std::wstring exe = joinPath(dir.path(), L"vantrel.exe");
    writeVantrelCopy(exe, row.record);
    LaunchOptions options;
    options.exe = exe;
    Process p(options);
    HWND frame = waitForFrame(p);
    expectAboutLine(p, frame, row.expected, name + "first opening");
    expectAboutLine(p, frame, row.expected, name + "second opening");

    unparkLaterRecord(p);
    const bool failed = row.expected == kNameOnly;
    expectAboutLine(p, frame, failed ? kLaterLine : row.expected,
                    name + (failed ? "a failed lookup tried again once a record is there"
                                   : "a successful lookup kept after the record changed"));
    check(p.closeProperly(), name + "vantrel did not end after WM_CLOSE to its windows");
    expectEq(name + "exit code", 0, p.exitCode());
    say(std::string("row_ok=") + row.name);
}

void caseAboutVersionLookupFailed() {
    const VersionRecord noTranslation{{}, {japaneseTable(L"1.0.1.105")}};
    // Half a pair, followed by zero padding: a reader that took the padding as the code page would find the
    // second table.
    const VersionRecord halfPair{
        {kJapanese}, {japaneseTable(L"1.0.1.105"), {L"04110000", {{L"ProductVersion", L"6.6"}}}}, true};
    // The first pair names a table that is not there; the second would find one.
    const VersionRecord firstPairWithoutTable{{0x0409, 0x04B0, kJapanese, 0x04B0},
                                              {japaneseTable(L"1.0.1.105")}};
    const VersionRecord noProductVersion{
        {kJapanese, 0x04B0}, {{L"041104b0", {{L"FileVersion", L"1.0.1.105"}, {L"ProductName", L"Vantrel"}}}}};
    const VersionRow rows[] = {
        {"no_record", nullptr, kNameOnly},
        {"translation_empty", &noTranslation, kNameOnly},
        {"translation_half_pair", &halfPair, kNameOnly},
        {"first_pair_names_missing_table", &firstPairWithoutTable, kNameOnly},
        {"product_version_missing", &noProductVersion, kNameOnly},
    };
    for (const VersionRow& row : rows)
        runVersionRow(row);
}

void caseAboutVersionText() {
    const VersionRecord commas{{kJapanese, 0x04B0}, {japaneseTable(L"1, 0, 1, 105")}};
    const VersionRecord marks{{kJapanese, 0x04B0}, {japaneseTable(L"2..:5%b,c")}};
    // Only the first pair counts, and its table need not be the Japanese one.
    const VersionRecord firstPair{{0x0409, 0x04E4, kJapanese, 0x04B0},
                                  {{L"040904e4", {{L"ProductVersion", L"3.1"}}}, japaneseTable(L"9.9")}};
    // 300 characters: the 250th is Z, the 251st Y.
    const VersionRecord longer{
        {kJapanese, 0x04B0},
        {japaneseTable(L"1." + std::wstring(247, L'8') + L"ZY" + std::wstring(49, L'9'))}};
    const VersionRow rows[] = {
        {"commas_and_spaces", &commas, L"Vantrel Ver.:1- 0- 1- 105"},
        {"colon_and_percent", &marks, L"Vantrel Ver.:2-.:5.:b-c"},
        {"first_pair_other_language", &firstPair, L"Vantrel Ver.:3-1"},
        {"longer_than_250", &longer, L"Vantrel Ver.:1-" + std::wstring(247, L'8') + L"Z"},
    };
    for (const VersionRow& row : rows)
        runVersionRow(row);
}

const RegisterCase kAboutVersionCases[] = {
    {"about_version_lookup_failed", caseAboutVersionLookupFailed},
    {"about_version_text", caseAboutVersionText},
};

} // namespace
