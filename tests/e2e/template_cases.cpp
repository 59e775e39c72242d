// End-to-end cases of the dialog templates compiled into vantrel.exe: the frame's, the panel's and the About
// box's styles, places, sizes, fonts and controls read back from the executable's resources and compared
// with what they must be, field by field (a resource compiler drops or adds bits silently).
#include "tests/e2e/case_registry.h"
#include "tests/e2e/files.h"
#include "tests/e2e/report.h"
#include "tests/support/text.h"

#include "res/resource.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

using namespace e2e;
using support::narrow;

namespace {

// ---------------------------------------------------------------- reading an extended dialog template

// What a dialog and each of its controls have alike: styles, place and size in dialog units.
struct Shape {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct Control {
    DWORD id = 0;
    std::wstring cls; // "Button", "Static", ...
    Shape shape;
    std::wstring text; // "#128" for a resource ordinal
};

struct Template {
    Shape shape;
    std::wstring caption, font;
    WORD points = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<Control> controls;
};

class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    template <class T> T take() {
        check(at_ + sizeof(T) <= size_, "the template ends early");
        T value;
        std::memcpy(&value, data_ + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    std::wstring text() {
        std::wstring out;
        for (wchar_t c; (c = take<wchar_t>()) != 0;)
            out += c;
        return out;
    }
    // A name or an ordinal (0xFFFF and a number): the ordinal as "#number"; the standard control classes
    // (0x0080 Button, 0x0082 Static, ...) by their names.
    std::wstring nameOrOrdinal(bool controlClass = false) {
        if (peek() != 0xFFFF)
            return text();
        take<WORD>();
        const WORD ordinal = take<WORD>();
        if (controlClass) {
            const wchar_t* names[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
            if (ordinal >= 0x80 && ordinal <= 0x85)
                return names[ordinal - 0x80];
        }
        return L"#" + std::to_wstring(ordinal);
    }
    void alignTo(size_t bytes) { at_ = (at_ + bytes - 1) / bytes * bytes; }

private:
    WORD peek() const { return at_ + 2 <= size_ ? static_cast<WORD>(data_[at_] | data_[at_ + 1] << 8) : 0; }
    const BYTE* data_;
    size_t size_, at_ = 0;
};

// The help id, the styles, and (after what lies between in a dialog's header) the place and size.
Shape readStyles(Reader& r) {
    Shape shape;
    r.take<DWORD>(); // help id
    shape.exStyle = r.take<DWORD>();
    shape.style = r.take<DWORD>();
    return shape;
}

void readPlace(Reader& r, Shape& shape) {
    shape.x = r.take<short>(), shape.y = r.take<short>(), shape.cx = r.take<short>(),
    shape.cy = r.take<short>();
}

Template readTemplate(HMODULE exe, int id) {
    HRSRC found =
        FindResourceExW(exe, RT_DIALOG, MAKEINTRESOURCEW(id), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    check(found != nullptr, "vantrel.exe has no Japanese dialog template " + std::to_string(id));
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(exe, found)));
    Reader r(data, SizeofResource(exe, found));
    check(r.take<WORD>() == 1 && r.take<WORD>() == 0xFFFF,
          "template " + std::to_string(id) + " is not extended");
    Template t;
    t.shape = readStyles(r);
    const WORD count = r.take<WORD>();
    readPlace(r, t.shape);
    check(r.nameOrOrdinal().empty() && r.nameOrOrdinal().empty(),
          "template " + std::to_string(id) + " names a menu or a window class");
    t.caption = r.text();
    if (t.shape.style & DS_SETFONT) {
        t.points = r.take<WORD>(), t.weight = r.take<WORD>();
        t.italic = r.take<BYTE>(), t.charset = r.take<BYTE>();
        t.font = r.text();
    }
    for (WORD i = 0; i < count; ++i) {
        r.alignTo(4);
        Control c;
        c.shape = readStyles(r);
        readPlace(r, c.shape);
        c.id = r.take<DWORD>();
        c.cls = r.nameOrOrdinal(true);
        c.text = r.nameOrOrdinal();
        const WORD extra = r.take<WORD>();
        for (WORD b = 0; b < extra; ++b)
            r.take<BYTE>();
        t.controls.push_back(c);
    }
    return t;
}

// ---------------------------------------------------------------- comparing

std::string hexWord(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// Collects every field that differs, so one run names them all.
struct Differences {
    std::vector<std::string> lines;
    void number(const std::string& what, long long expected, long long got) {
        if (expected != got)
            lines.push_back(what + ": expected " + std::to_string(expected) + ", got " + std::to_string(got));
    }
    void bits(const std::string& what, DWORD expected, DWORD got) {
        if (expected != got)
            lines.push_back(what + ": expected " + hexWord(expected) + ", got " + hexWord(got) +
                            " (differs in " + hexWord(expected ^ got) + ")");
    }
    void text(const std::string& what, const std::wstring& expected, const std::wstring& got) {
        if (expected != got)
            lines.push_back(what + ": expected " + quoted(expected) + ", got " + quoted(got));
    }
};

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

void compare(Differences& d, const std::string& name, const Shape& want, const Shape& got) {
    d.bits(name + " style", want.style, got.style);
    d.bits(name + " extended style", want.exStyle, got.exStyle);
    d.number(name + " x", want.x, got.x);
    d.number(name + " y", want.y, got.y);
    d.number(name + " width", want.cx, got.cx);
    d.number(name + " height", want.cy, got.cy);
}

void compare(Differences& d, const std::string& name, const Template& want, const Template& got) {
    compare(d, name, want.shape, got.shape);
    d.text(name + " caption", want.caption, got.caption);
    d.text(name + " font", want.font, got.font);
    d.number(name + " font points", want.points, got.points);
    d.number(name + " font weight", want.weight, got.weight);
    d.number(name + " font italic", want.italic, got.italic);
    d.number(name + " font character set", want.charset, got.charset);
    d.number(name + " controls", static_cast<long long>(want.controls.size()),
             static_cast<long long>(got.controls.size()));
    for (size_t i = 0; i < want.controls.size() && i < got.controls.size(); ++i) {
        const Control &w = want.controls[i], &g = got.controls[i];
        const std::string c = name + " control " + std::to_string(i + 1) + " (id " +
                              std::to_string(static_cast<int>(w.id)) + ")";
        d.number(c + " id", static_cast<int>(w.id), static_cast<int>(g.id));
        d.text(c + " class", lower(w.cls), lower(g.cls)); // class names know no case
        compare(d, c, w.shape, g.shape);
        if (w.id != static_cast<DWORD>(IDC_STATIC) || w.text.rfind(L"#", 0) == 0)
            d.text(c + " text", w.text, g.text);
    }
}

// The templates as they must be. The notice line's text is the program's own choice, so it is not compared.
Template aboutTemplate() {
    Template t;
    t.shape = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 170, 62};
    t.caption = L"バージョン情報 Vantrel";
    t.font = L"MS UI Gothic", t.points = 9, t.weight = 0, t.italic = 0, t.charset = 1;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    t.controls = {
        {static_cast<DWORD>(IDC_STATIC), L"Static", {child | SS_ICON, 0, 14, 14, 20, 20}, L"#128"},
        {IDC_VERSION,
         L"Static",
         {child | WS_GROUP | SS_NOPREFIX, 0, 42, 14, 114, 8},
         L"Vantrel, Version 1.0"},
        {static_cast<DWORD>(IDC_STATIC), L"Static", {child | WS_GROUP | SS_LEFT, 0, 42, 26, 114, 8}, L""},
        {IDOK, L"Button", {child | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 113, 41, 50, 14}, L"OK"},
    };
    return t;
}

Template frameTemplate() {
    Template t;
    t.shape = {0x90CE0040, 0x000C0008, 0, 0, 222, 145};
    t.caption = L"Vantrel";
    t.font = L"MS UI Gothic", t.points = 9, t.weight = 0, t.italic = 0, t.charset = 1;
    return t;
}

Template panelTemplate() {
    Template t;
    t.shape = {0x80C000C8, 0, 0, 0, 43, 86};
    t.caption = L"Operation";
    t.font = L"MS Shell Dlg", t.points = 8, t.weight = 400, t.italic = 0, t.charset = 1;
    const DWORD button = 0x50010000;
    t.controls = {
        {IDC_CLEAR, L"Button", {button, 0, 0, 0, 43, 18}, L"Clear"},
        {IDC_CAPTURE, L"Button", {button, 0, 0, 17, 43, 18}, L"Capture"},
        {IDC_COPY, L"Button", {button, 0, 0, 35, 43, 18}, L"Copy"},
        {IDC_SAVE, L"Button", {button, 0, 0, 52, 43, 18}, L"Save"},
        {IDC_RIGHTPOS, L"Button", {0x50010003, 0, 1, 72, 40, 10}, L"Right Pos"},
    };
    return t;
}

// The three templates of vantrel.exe, read from its resources, against the table above. The styles are also
// given as the numbers they must add up to, so a wrong constant in the table cannot hide a slip.
void caseDialogTemplates() {
    check(aboutTemplate().shape.style == 0x80C800C0 && aboutTemplate().controls[1].shape.style == 0x50020080,
          "the expected About template does not add up to its numbers");
    HMODULE exe = LoadLibraryExW(vantrelPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(exe != nullptr,
          "could not load vantrel.exe as a data file, error " + std::to_string(GetLastError()));
    Differences d;
    const struct {
        const char* name;
        int id;
        Template expected;
    } rows[] = {
        {"About (100)", IDD_ABOUTBOX, aboutTemplate()},
        {"frame (102)", IDD_VANTREL_DIALOG, frameTemplate()},
        {"panel (129)", IDD_OPERATION, panelTemplate()},
    };
    for (const auto& row : rows) {
        const Template got = readTemplate(exe, row.id);
        sayKey((std::string("template_") + std::to_string(row.id)).c_str(),
               hexWord(got.shape.style) + " " + hexWord(got.shape.exStyle) +
                   " controls=" + std::to_string(got.controls.size()));
        compare(d, row.name, row.expected, got);
    }
    FreeLibrary(exe);
    std::string all;
    for (const std::string& line : d.lines)
        all += "\n  " + line;
    check(d.lines.empty(), std::to_string(d.lines.size()) + " fields differ:" + all);
}

const RegisterCase kTemplateCases[] = {
    {"dialog_templates", caseDialogTemplates},
};

} // namespace
