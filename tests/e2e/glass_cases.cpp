// End-to-end cases of the panel's glass look. A copy of vantrel runs with the stand-in dwmapi.dll
// (dwm_standin/, put in the system folder), which reports composition as the case sets it, records the calls
// it gets and copies the panel's pixels with their alpha; the case reads the controls' subclass lists from
// the program's memory and the panel's look from the screen. The stand-in also counts the program's GDI
// objects, which must not grow however often the panel is painted, switched and shows its tips.
#include "tests/e2e/app.h"
#include "tests/e2e/program_copy.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/display_scale.h"
#include "tests/e2e/files.h"
#include "tests/e2e/input.h"
#include "tests/e2e/processes.h"
#include "tests/e2e/report.h"
#include "tests/e2e/screen.h"
#include "tests/e2e/stored_settings.h"
#include "tests/e2e/wait.h"
#include "tests/e2e/window_lookup.h"
#include "tests/e2e/window_menu.h"
#include "platform/unique_handle.h"
#include "tests/support/paths.h"
#include "tests/support/stopwatch.h"
#include "tests/support/text.h"

#include "tests/e2e/dwm_standin/standin_protocol.h"
#include "platform/dpi_scale.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

using namespace e2e;
using namespace support;

namespace {

// The panel's controls: Clear, Capture, Copy, Save and the Right Pos check box.
const int kControls[] = {IDC_CLEAR, IDC_CAPTURE, IDC_COPY, IDC_SAVE, IDC_RIGHTPOS};
const int kPushButtons[] = {IDC_CLEAR, IDC_CAPTURE, IDC_COPY, IDC_SAVE};
constexpr UINT kCompositionChanged = 0x031E;
constexpr UINT_PTR kOurSubclassId = 0x56414E;
// A push button's face is opaque inside a band this wide along its edges (at 96 dpi; in proportion at
// other display scales).
constexpr int kFaceBand = 3;

const char kIsEnabled[] = "DwmIsCompositionEnabled";
const char kExtend[] = "DwmExtendFrameIntoClientArea";
const char kSetAttribute[] = "DwmSetWindowAttribute";
constexpr int kTransitionsForceDisabled = 3; // DWMWA_TRANSITIONS_FORCEDISABLED

std::string handleText(HWND hwnd) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hwnd)));
    return buf;
}

std::string listText(const std::vector<std::string>& lines) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i)
        out += (i ? ", " : "") + lines[i];
    return out + "]";
}

// The calls that follow composition (the glass look, the windows' hide animations turned off), from the
// index `from` of calls() on (the frame's placement asks for window attributes too).
std::vector<std::string> glassCalls(const GlassCopy& copy, size_t from = 0) {
    std::vector<std::string> all = copy.calls(), glass;
    for (size_t i = from; i < all.size(); ++i)
        if (all[i].rfind(kIsEnabled, 0) == 0 || all[i].rfind(kExtend, 0) == 0 ||
            all[i].rfind(kSetAttribute, 0) == 0)
            glass.push_back(all[i]);
    return glass;
}

std::string isEnabledLine(bool on) {
    return std::string(kIsEnabled) + " enabled=" + (on ? "1" : "0");
}
std::string extendLine(HWND panel) {
    return std::string(kExtend) + " hwnd=" + handleText(panel) + " margins=-1,0,0,0";
}
// What finding composition on does: the frame's and the panel's hide animations are turned off, then the
// panel becomes glass.
std::vector<std::string> compositionOnLines(const App& app) {
    auto noTransitions = [](HWND hwnd) {
        return std::string(kSetAttribute) + " hwnd=" + handleText(hwnd) +
               " attribute=" + std::to_string(kTransitionsForceDisabled) + " value=1";
    };
    return {isEnabledLine(true), noTransitions(app.frame), noTransitions(app.panel), extendLine(app.panel)};
}

// The glass calls made since `from` are exactly `want` (waits for them, then a little longer for extra ones).
void expectGlassCalls(const GlassCopy& copy, size_t from, const std::vector<std::string>& want,
                      const std::string& when) {
    waitFor([&] { return glassCalls(copy, from).size() >= want.size(); }, 5000);
    Sleep(300);
    const std::vector<std::string> got = glassCalls(copy, from);
    sayKey("glass_calls", when + ": " + listText(got));
    if (got != want)
        fail(when + ": the window manager calls were " + listText(got) + ", expected " + listText(want) +
             "; every call the stand-in recorded: " + listText(copy.calls()));
}

// ---------------------------------------------------------------- subclass lists

// comctl32 keeps a window's subclasses in a list the window property "CC32SubclassInfo" points to. Wine's
// layout is below; it is checked on a window of the driver before vantrel's lists are read with it.
struct SubclassEntry {
    SUBCLASSPROC proc;
    UINT_PTR id;
    DWORD_PTR ref;
    SubclassEntry* next;
};
struct SubclassHead {
    SubclassEntry* first;
    SubclassEntry* running;
    WNDPROC original;
    int depth;
};
const wchar_t kSubclassProperty[] = L"CC32SubclassInfo";

// The ids of the subclasses in a window's list, first to last, read from the memory of `process`.
std::vector<UINT_PTR> readSubclassIds(HANDLE process, HWND hwnd, std::vector<DWORD_PTR>* refs = nullptr) {
    std::vector<UINT_PTR> ids;
    auto* headAddress = static_cast<SubclassHead*>(GetPropW(hwnd, kSubclassProperty));
    if (!headAddress)
        return ids;
    SubclassHead head{};
    SIZE_T got = 0;
    check(ReadProcessMemory(process, headAddress, &head, sizeof head, &got) && got == sizeof head,
          "could not read the subclass list of " + handleText(hwnd));
    const SubclassEntry* at = head.first;
    for (int n = 0; at && n < 64; ++n) {
        SubclassEntry entry{};
        check(ReadProcessMemory(process, at, &entry, sizeof entry, &got) && got == sizeof entry,
              "could not read a subclass entry of " + handleText(hwnd));
        ids.push_back(entry.id);
        if (refs)
            refs->push_back(entry.ref);
        at = entry.next;
    }
    check(at == nullptr, "the subclass list of " + handleText(hwnd) + " does not end");
    return ids;
}

LRESULT CALLBACK probeSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// Subclasses a window of the driver twice and reads the list back the way vantrel's lists are read.
void checkSubclassLayout() {
    HWND probe =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    check(probe != nullptr, "could not create a window to check the subclass layout on");
    SetWindowSubclass(probe, probeSubclass, 7, 0x1111);
    SetWindowSubclass(probe, probeSubclass, kOurSubclassId, 0x2222);
    std::vector<DWORD_PTR> refs;
    std::vector<UINT_PTR> ids = readSubclassIds(GetCurrentProcess(), probe, &refs);
    RemoveWindowSubclass(probe, probeSubclass, 7);
    RemoveWindowSubclass(probe, probeSubclass, kOurSubclassId);
    DestroyWindow(probe);
    std::sort(ids.begin(), ids.end());
    std::sort(refs.begin(), refs.end());
    if (ids != std::vector<UINT_PTR>{7, kOurSubclassId} || refs != std::vector<DWORD_PTR>{0x1111, 0x2222})
        skip("comctl32 keeps its subclass lists in another layout here: cannot count vantrel's");
}

// How many subclasses of ours each control has, in kControls order.
std::vector<int> attachedCounts(const App& app) {
    platform::UniqueHandle process(
        OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, app.process.pid()));
    check(static_cast<bool>(process), "cannot open vantrel's process to read its memory");
    std::vector<int> counts;
    for (int id : kControls) {
        std::vector<UINT_PTR> ids = readSubclassIds(process.get(), app.button(id));
        counts.push_back(static_cast<int>(std::count(ids.begin(), ids.end(), kOurSubclassId)));
    }
    return counts;
}

void expectAttached(const App& app, int each, const std::string& when) {
    std::vector<int> counts = attachedCounts(app);
    std::string text;
    for (size_t i = 0; i < counts.size(); ++i)
        text += (i ? " " : "") + std::to_string(kControls[i]) + ":" + std::to_string(counts[i]);
    sayKey("subclasses_of_ours", when + ": " + text);
    check(counts == std::vector<int>(counts.size(), each),
          when + ": expected " + std::to_string(each) + " subclass(es) of ours on every control, found " +
              text);
}

// ---------------------------------------------------------------- pixels

int luminance(uint32_t rgb) {
    return static_cast<int>((299 * ((rgb >> 16) & 0xFF) + 587 * ((rgb >> 8) & 0xFF) + 114 * (rgb & 0xFF)) /
                            1000);
}

uint32_t colourOf(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The panel's client area as the screen shows it, with its controls' places (client coordinates).
struct PanelView {
    Pixels screen;
    std::vector<RECT> controls; // kControls order
    RECT control(int id) const {
        for (size_t i = 0; i < std::size(kControls); ++i)
            if (kControls[i] == id)
                return controls[i];
        return RECT{};
    }
    // A client pixel no control covers.
    bool background(int x, int y) const {
        POINT p{x, y};
        return std::none_of(controls.begin(), controls.end(), [&](const RECT& r) { return PtInRect(&r, p); });
    }
};

PanelView viewPanel(const App& app) {
    PanelView v;
    const RECT client = clientRectOnScreen(app.panel);
    v.screen = captureScreen(client);
    for (int id : kControls) {
        RECT r = windowRect(app.button(id));
        OffsetRect(&r, -client.left, -client.top);
        v.controls.push_back(r);
    }
    return v;
}

// Client pixels that no control covers and that are not `colour`; the first one is described.
long backgroundNot(const PanelView& v, uint32_t colour, std::string* first) {
    long bad = 0;
    long total = 0;
    for (int y = 0; y < v.screen.height; ++y)
        for (int x = 0; x < v.screen.width; ++x) {
            if (!v.background(x, y))
                continue;
            ++total;
            if (v.screen.at(x, y) != colour && bad++ == 0 && first)
                *first =
                    "(" + std::to_string(x) + "," + std::to_string(y) + ") " + colourText(v.screen.at(x, y));
        }
    return total == 0 ? -1 : bad;
}

// Polls the screen until every background pixel of the panel is `colour`.
PanelView expectBackground(const App& app, uint32_t colour, const std::string& when) {
    PanelView v;
    long bad = 0;
    std::string first;
    waitFor(
        [&] {
            v = viewPanel(app);
            bad = backgroundNot(v, colour, &first);
            return bad == 0;
        },
        5000, 100);
    check(bad >= 0, when + ": the controls cover the whole panel, no background to look at");
    if (bad)
        fail(when + ": " + std::to_string(bad) + " background pixels of the panel are not " +
             colourText(colour) + ", first at client " + first);
    return v;
}

// What a push button's face (inside the band) shows: its most common colour, on how many of its pixels, and
// how many pixels are much darker than that (the caption).
struct ButtonFace {
    uint32_t common = 0;
    size_t best = 0, total = 0;
    long caption = 0;
    // Looks drawn: mostly one colour well above black, with a caption on it.
    bool drawn() const { return total && luminance(common) >= 128 && best * 2 >= total && caption >= 15; }
};

ButtonFace buttonFace(const PanelView& v, int id, int dpi) {
    RECT face = v.control(id);
    InflateRect(&face, -platform::Scale(kFaceBand, dpi), -platform::Scale(kFaceBand, dpi));
    std::vector<uint32_t> colours;
    for (int y = face.top; y < face.bottom; ++y)
        for (int x = face.left; x < face.right; ++x)
            colours.push_back(v.screen.at(x, y));
    std::sort(colours.begin(), colours.end());
    ButtonFace f;
    f.total = colours.size();
    for (size_t i = 0; i < colours.size();) {
        size_t j = i;
        while (j < colours.size() && colours[j] == colours[i])
            ++j;
        if (j - i > f.best)
            f.best = j - i, f.common = colours[i];
        i = j;
    }
    f.caption = std::count_if(colours.begin(), colours.end(),
                              [&](uint32_t c) { return luminance(c) + 80 < luminance(f.common); });
    return f;
}

// A push button looks drawn (ButtonFace::drawn).
void expectButtonDrawn(const PanelView& v, int id, const std::string& when, int dpi) {
    const ButtonFace f = buttonFace(v, id, dpi);
    const std::string what = when + ": button " + std::to_string(id);
    sayKey("button_face", what + " face " + colourText(f.common) + " on " + std::to_string(f.best) + " of " +
                              std::to_string(f.total) + " pixels, caption pixels " +
                              std::to_string(f.caption));
    check(f.total && luminance(f.common) >= 128 && f.best * 2 >= f.total,
          what + ": no light face drawn (most common colour " + colourText(f.common) + " on " +
              std::to_string(f.best) + " of " + std::to_string(f.total) + " pixels)");
    check(f.caption >= 15,
          what + ": no caption drawn on the face (" + std::to_string(f.caption) + " dark pixels)");
}

// The check box's label over the black background: light halo pixels, and dark text pixels next to them.
void expectGlowingLabel(const PanelView& v, const std::string& when, int dpi) {
    // Only right of the box glyph, whose light square and dark tick would pass for a label too.
    RECT box = v.control(IDC_RIGHTPOS);
    box.left += platform::Scale(GetSystemMetrics(SM_CXMENUCHECK) + 1, dpi);
    auto at = [&](int x, int y) { return luminance(v.screen.at(x, y)); };
    long halo = 0, textInHalo = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            if (at(x, y) >= 170)
                ++halo;
            if (at(x, y) >= 90)
                continue;
            bool lightNear = false;
            for (int dy = -2; dy <= 2 && !lightNear; ++dy)
                for (int dx = -2; dx <= 2 && !lightNear; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    lightNear = nx >= box.left && nx < box.right && ny >= box.top && ny < box.bottom &&
                                at(nx, ny) >= 170;
                }
            if (lightNear)
                ++textInHalo;
        }
    sayKey("label", when + ": halo pixels " + std::to_string(halo) + ", dark pixels next to them " +
                        std::to_string(textInHalo));
    check(halo >= 100 && textInHalo >= 50,
          when + ": the Right Pos label shows no dark text on a light halo (" + std::to_string(halo) +
              " halo pixels, " + std::to_string(textInHalo) + " dark pixels next to them)");
}

// ---------------------------------------------------------------- pixels with alpha, from the stand-in

struct AlphaPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t at(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// The stand-in's pixel service inside vantrel's process.
HWND pixelService(DWORD pid) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, dwm_standin::kServiceClass, nullptr));)
            if (windowPid(w) == pid)
                found = w;
        return found != nullptr;
    });
    check(found != nullptr, "the stand-in's pixel service did not start in vantrel's process");
    return found;
}

AlphaPixels panelWithAlpha(const App& app, const GlassCopy& copy) {
    const std::wstring file = joinPath(copy.folder(), dwm_standin::kPixelsFile);
    DeleteFileW(file.c_str());
    DWORD_PTR answer = 0;
    check(sendMessageTimeout(pixelService(app.process.pid()), dwm_standin::kCopyPixels,
                             reinterpret_cast<WPARAM>(app.panel), 0, 5000, &answer) &&
              answer == 1,
          "the stand-in could not copy the panel's pixels");
    const std::string bytes = readFile(file);
    AlphaPixels px;
    check(bytes.size() >= 8, "the stand-in's pixel file is too short");
    int32_t size[2];
    memcpy(size, bytes.data(), sizeof size);
    px.width = size[0];
    px.height = size[1];
    check(px.width > 0 && px.height > 0 && bytes.size() == 8 + static_cast<size_t>(px.width) * px.height * 4,
          "the stand-in's pixel file has the wrong size");
    px.argb.resize(static_cast<size_t>(px.width) * px.height);
    memcpy(px.argb.data(), bytes.data() + 8, px.argb.size() * 4);
    return px;
}

// Alpha as the program wrote it: the push buttons' faces opaque inside the band, the background black and
// fully transparent (where glass shows through).
void expectAlpha(const App& app, const GlassCopy& copy, const PanelView& v, const std::string& when,
                 int dpi) {
    AlphaPixels px = panelWithAlpha(app, copy);
    expectEq(when + ": width of the copied pixels", v.screen.width, px.width);
    expectEq(when + ": height of the copied pixels", v.screen.height, px.height);
    for (int id : kPushButtons) {
        RECT face = v.control(id);
        InflateRect(&face, -platform::Scale(kFaceBand, dpi), -platform::Scale(kFaceBand, dpi));
        long seeThrough = 0;
        std::string first;
        for (int y = face.top; y < face.bottom; ++y)
            for (int x = face.left; x < face.right; ++x)
                if ((px.at(x, y) >> 24) != 0xFF && seeThrough++ == 0)
                    first = "(" + std::to_string(x) + "," + std::to_string(y) + ") alpha " +
                            std::to_string(px.at(x, y) >> 24);
        check(seeThrough == 0, when + ": " + std::to_string(seeThrough) + " face pixels of button " +
                                   std::to_string(id) + " are not opaque, first at " + first);
    }
    // The label's glow fades out: partly transparent pixels around it (glass shows through the rest).
    const RECT box = v.control(IDC_RIGHTPOS);
    long clear = 0, partial = 0, opaque = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const uint32_t a = px.at(x, y) >> 24;
            (a == 0 ? clear : a == 255 ? opaque : partial)++;
        }
    sayKey("label_alpha", when + ": clear " + std::to_string(clear) + " partial " + std::to_string(partial) +
                              " opaque " + std::to_string(opaque));
    check(partial >= 50 && clear > 0, when + ": the Right Pos label has no soft glow in its alpha (" +
                                          std::to_string(partial) + " partly transparent, " +
                                          std::to_string(clear) + " clear pixels)");
    long background = 0, notClear = 0;
    std::string first;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x)
            if (v.background(x, y)) {
                ++background;
                if (px.at(x, y) != 0 && notClear++ == 0)
                    first = "(" + std::to_string(x) + "," + std::to_string(y) + ") ARGB " +
                            hex(reinterpret_cast<void*>(static_cast<uintptr_t>(px.at(x, y))));
            }
    sayKey("alpha_background_pixels", background);
    check(notClear == 0, when + ": " + std::to_string(notClear) +
                             " background pixels are not black with alpha 0, first at " + first);
}

// ---------------------------------------------------------------- screenshots

// Writes the pixels as NAME.bmp in VANTREL_SHOT_DIR, or else in the driver's folder.
void saveShot(const std::string& name, const Pixels& px) {
    const std::wstring dir = environmentVariable(L"VANTREL_SHOT_DIR");
    const std::wstring folder = dir.empty() ? moduleFolder() : toWindowsPath(dir);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = joinPath(folder, widen(name) + L".bmp");
    check(writeBmp(file, px), "could not write " + narrow(file));
    sayKey("screenshot", file);
}

// The panel and a little around it, as the screen shows it.
void savePanelShot(const App& app, const std::string& name) {
    RECT area = windowRect(app.panel);
    InflateRect(&area, 8, 8);
    saveShot(name, captureScreen(area));
}

// The alpha of the panel's client area as grey (white: opaque, black: clear).
void saveAlphaShot(const App& app, const GlassCopy& copy, const std::string& name) {
    AlphaPixels px = panelWithAlpha(app, copy);
    Pixels grey{px.width, px.height, {}};
    for (uint32_t p : px.argb)
        grey.rgb.push_back((p >> 24) * 0x010101u);
    saveShot(name, grey);
}

// ---------------------------------------------------------------- looks

// Glass at the display scale dpi: the controls are attached once, the background is black and
// transparent, the buttons are drawn and opaque, the label glows.
PanelView expectGlass(const App& app, const GlassCopy& copy, const std::string& when,
                      int dpi = platform::kDefaultDpi) {
    expectAttached(app, 1, when);
    PanelView v = expectBackground(app, 0x000000, when);
    // The buttons paint themselves after the panel's background: the screen is read again until they have.
    waitFor(
        [&] {
            for (int id : kPushButtons)
                if (!buttonFace(v, id, dpi).drawn()) {
                    v = viewPanel(app);
                    return false;
                }
            return true;
        },
        3000, 100);
    for (int id : kPushButtons)
        expectButtonDrawn(v, id, when, dpi);
    expectGlowingLabel(v, when, dpi);
    expectAlpha(app, copy, v, when, dpi);
    return v;
}

// Plain: nothing attached, the dialog's own background colour.
PanelView expectPlain(const App& app, const std::string& when) {
    expectAttached(app, 0, when);
    return expectBackground(app, colourOf(GetSysColor(COLOR_BTNFACE)), when);
}

// The panel looks, pixel for pixel, as it did at an earlier moment in the same mode (nothing of the other
// look left on a control, nothing lost).
void expectSameLook(const App& app, const Pixels& earlier, const std::string& when) {
    long bad = 0;
    std::string first;
    waitFor(
        [&] {
            Pixels now = viewPanel(app).screen;
            bad = 0;
            if (now.width != earlier.width || now.height != earlier.height) {
                bad = -1;
                return false;
            }
            for (int y = 0; y < now.height; ++y)
                for (int x = 0; x < now.width; ++x)
                    if (now.at(x, y) != earlier.at(x, y) && bad++ == 0)
                        first = "(" + std::to_string(x) + "," + std::to_string(y) + ") was " +
                                colourText(earlier.at(x, y)) + ", now " + colourText(now.at(x, y));
            return bad == 0;
        },
        5000, 100);
    check(bad >= 0, when + ": the panel's client size changed");
    if (bad)
        fail(when + ": " + std::to_string(bad) +
             " client pixels of the panel differ from its earlier look in this mode, first at " + first);
}

// ---------------------------------------------------------------- GDI objects, from the stand-in

// Kinds of GDI objects by their OBJ_ value, as the counts name them.
const char* const kKindNames[] = {"",        "pen",    "brush",     "dc",          "metadc",
                                  "palette", "font",   "bitmap",    "region",      "metafile",
                                  "memdc",   "extpen", "enhmetadc", "enhmetafile", "colorspace"};

// The live GDI objects of vantrel's process: all of them and each kind.
struct GdiCount {
    long total = 0;
    long kind[std::size(kKindNames)] = {};
    bool operator==(const GdiCount& other) const {
        return total == other.total && std::equal(std::begin(kind), std::end(kind), std::begin(other.kind));
    }
};

GdiCount countGdi(HWND service) {
    auto ask = [&](LPARAM kind) {
        DWORD_PTR answer = 0;
        check(sendMessageTimeout(service, dwm_standin::kCountGdiObjects, 0, kind, 5000, &answer),
              "the stand-in did not count the GDI objects");
        return static_cast<long>(answer);
    };
    GdiCount c;
    c.total = ask(0);
    for (size_t k = 1; k < std::size(kKindNames); ++k)
        c.kind[k] = ask(static_cast<LPARAM>(k));
    return c;
}

std::string gdiText(const GdiCount& c) {
    std::string text = std::to_string(c.total) + " (";
    for (size_t k = 1, n = 0; k < std::size(kKindNames); ++k)
        if (c.kind[k])
            text += (n++ ? " " : "") + std::string(kKindNames[k]) + " " + std::to_string(c.kind[k]);
    return text + ")";
}

std::string signedText(long n) {
    return (n > 0 ? "+" : "") + std::to_string(n);
}

// How a count changed: the total and every kind that moved.
std::string gdiChange(const GdiCount& from, const GdiCount& to) {
    std::string kinds;
    for (size_t k = 1; k < std::size(kKindNames); ++k)
        if (to.kind[k] != from.kind[k])
            kinds += (kinds.empty() ? "" : " ") + std::string(kKindNames[k]) + " " +
                     signedText(to.kind[k] - from.kind[k]);
    return signedText(to.total - from.total) + (kinds.empty() ? "" : " (" + kinds + ")");
}

// The count once the program has finished what it was doing: three counts in a row, 200 ms apart, agree.
GdiCount settledCount(HWND service, const std::string& when) {
    GdiCount last = countGdi(service);
    int same = 0;
    const bool settled = waitFor(
        [&] {
            const GdiCount now = countGdi(service);
            same = now == last ? same + 1 : 0;
            last = now;
            return same >= 2;
        },
        5000, 200);
    check(settled, when + ": the number of GDI objects did not settle; last " + gdiText(last));
    sayKey("gdi_objects", when + ": " + gdiText(last));
    return last;
}

// Repaints the panel and its five controls, and returns once every paint is done.
void repaintPanel(const App& app) {
    check(RedrawWindow(app.panel, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW),
          "could not repaint the panel");
}

void switchComposition(const App& app, const GlassCopy& copy, bool on) {
    copy.setComposition(on);
    check(sendMessageTimeout(app.panel, kCompositionChanged, 0, 0),
          "the panel did not handle WM_DWMCOMPOSITIONCHANGED");
    repaintPanel(app);
}

// Activates the panel (tips show for an active window only) with the pointer off vantrel's windows, then
// rests the real pointer on each control in turn and waits until that control's tip shows just below
// the pointer and has painted.
void showEveryTip(const App& app) {
    const DWORD pid = app.process.pid();
    SetCursorPos(4, 4);
    check(waitFor([&] { return topLevelWindows(pid, L"tooltips_class32", true).empty(); }, 8000),
          "the last tip did not hide when the pointer left");
    check(bringToFront(app.panel), "the panel could not be made the active window");
    for (int id : kControls) {
        // One move only: a second one on the same control before its tip shows starts the wait again.
        const POINT p = centre(windowRect(app.button(id)));
        SetCursorPos(p.x, p.y);
        HWND tip = nullptr;
        waitFor(
            [&] {
                for (HWND w : topLevelWindows(pid, L"tooltips_class32", true)) {
                    const RECT r = windowRect(w);
                    if (r.left == p.x && r.top > p.y && r.top - p.y <= 40)
                        tip = w;
                }
                return tip != nullptr;
            },
            5000, 20);
        check(tip != nullptr, "control " + std::to_string(id) + ": its tip did not show by the pointer");
        RedrawWindow(tip, nullptr, nullptr, RDW_UPDATENOW);
    }
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    check(waitFor([&] { return topLevelWindows(pid, L"tooltips_class32", true).empty(); }, 8000),
          "the last tip did not hide when the pointer left");
}

// ---------------------------------------------------------------- cases

// Composition off when the program starts: it only asks, attaches nothing and keeps the dialog's colours.
void caseOffAtStart() {
    checkSubclassLayout();
    GlassCopy copy;
    copy.setComposition(false);
    App app(copy.launch());
    expectGlassCalls(copy, 0, {isEnabledLine(false)}, "composition off at start");
    expectPlain(app, "composition off at start");
    savePanelShot(app, "glass_off");
}

// Composition on when the program starts: the frame's and the panel's hide animations are off before any
// capture, and the panel has the glass look at once.
void caseOnAtStart() {
    checkSubclassLayout();
    GlassCopy copy;
    copy.setComposition(true);
    App app(copy.launch());
    expectGlassCalls(copy, 0, compositionOnLines(app), "composition on at start");
    expectGlass(app, copy, "composition on at start");
    savePanelShot(app, "glass_on");
    saveAlphaShot(app, copy, "glass_on_alpha");
}

// Composition on at 192 dpi: the opaque band of the buttons and the label's place and glow are of that
// scale.
void caseOnAt192Dpi() {
    checkSubclassLayout();
    const DisplayScale scale(192);
    GlassCopy copy;
    copy.setComposition(true);
    App app(copy.launch());
    expectGlass(app, copy, "composition on at 192 dpi", 192);
    savePanelShot(app, "glass_on_192");
    saveAlphaShot(app, copy, "glass_on_192_alpha");
}

// The panel follows composition switched while the program runs: off to on, on again, on to off.
void caseSwitching() {
    checkSubclassLayout();
    GlassCopy copy;
    copy.setComposition(false);
    App app(copy.launch());
    expectGlassCalls(copy, 0, {isEnabledLine(false)}, "at start");
    // The first look in each mode (plain, glass); later ones must match it.
    std::optional<Pixels> looks[2] = {expectPlain(app, "at start").screen, std::nullopt};
    struct Step {
        const char* name;
        bool on;
    };
    const Step steps[] = {
        {"off to on", true}, {"on again", true}, {"on to off", false}, {"off to on again", true}};
    for (const Step& s : steps) {
        copy.setComposition(s.on);
        const size_t mark = copy.calls().size();
        check(sendMessageTimeout(app.panel, kCompositionChanged, 0, 0), std::string(s.name) +
                                                                            ": the panel did not handle "
                                                                            "WM_DWMCOMPOSITIONCHANGED");
        expectGlassCalls(copy, mark, s.on ? compositionOnLines(app) : std::vector{isEnabledLine(false)},
                         s.name);
        const PanelView v = s.on ? expectGlass(app, copy, s.name) : expectPlain(app, s.name);
        if (looks[s.on])
            expectSameLook(app, *looks[s.on], s.name);
        else
            looks[s.on] = v.screen;
    }
}

// A system below major version 6 gets no window manager call at all, even when composition is reported on
// and the change notification arrives.
void caseOldSystem() {
    checkSubclassLayout();
    GlassCopy copy(L"vantrel_glass_xp.exe", Library::StandIn, L"winxp64");
    copy.setComposition(true);
    App app(copy.launch());
    expectPlain(app, "old system at start");
    check(sendMessageTimeout(app.panel, kCompositionChanged, 0, 0),
          "the panel did not handle WM_DWMCOMPOSITIONCHANGED");
    expectPlain(app, "old system after the notification");
    const std::vector<std::string> calls = copy.calls();
    sayKey("calls", listText(calls));
    check(calls.empty(), "the program called the window manager on an old system: " + listText(calls));
}

// No dwmapi.dll at all: the program starts with both windows, plain, and survives the notification.
void caseWithoutLibrary() {
    checkSubclassLayout();
    GlassCopy copy(L"vantrel_glass.exe", Library::Missing);
    copy.setComposition(true);
    App app(copy.launch());
    check(IsWindowVisible(app.frame) && IsWindowVisible(app.panel), "the frame or the panel is not shown");
    expectPlain(app, "without dwmapi.dll");
    check(sendMessageTimeout(app.panel, kCompositionChanged, 0, 0),
          "the panel did not handle WM_DWMCOMPOSITIONCHANGED");
    expectPlain(app, "without dwmapi.dll after the notification");
    check(copy.calls().empty(),
          "the stand-in was loaded although dwmapi is disabled: " + listText(copy.calls()));
    check(app.process.running(), "the program ended");
}

// With composition on, a capture waits for the window manager to put the screen together once both windows
// and the tip that showed are hidden, before its pause; with composition off it has no window manager to wait
// for.
void caseCaptureWaitsForScreen() {
    GlassCopy copy;
    copy.setComposition(true);
    App app(copy.launch());
    expectGlassCalls(copy, 0, compositionOnLines(app), "composition on at start");
    const char kFlush[] = "DwmFlush";
    auto flushes = [&](size_t from) {
        std::vector<std::string> all = copy.calls(), found;
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].rfind(kFlush, 0) == 0)
                found.push_back(all[i]);
        return found;
    };

    // The pointer rests on Capture until its tip shows; the capture runs as from the keyboard, so the tip
    // is still up when it starts.
    check(bringToFront(app.panel), "the panel could not be made the active window");
    const POINT p = centre(windowRect(app.button(IDC_CAPTURE)));
    SetCursorPos(p.x, p.y);
    check(
        waitFor([&] { return !topLevelWindows(app.process.pid(), L"tooltips_class32", true).empty(); }, 5000),
        "the Capture button's tip did not show");
    size_t mark = copy.calls().size();
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    const std::vector<std::string> on = flushes(mark);
    sayKey("flushes_composition_on", listText(on));
    check(
        on == std::vector<std::string>{std::string(kFlush) + " visible="},
        "with composition on the capture did not wait once for the screen with nothing of vantrel showing: " +
            listText(on));
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    app.run(IDC_CLEAR);

    copy.setComposition(false);
    check(sendMessageTimeout(app.panel, kCompositionChanged, 0, 0),
          "the panel did not handle WM_DWMCOMPOSITIONCHANGED");
    mark = copy.calls().size();
    app.run(IDC_CAPTURE);
    waitCaptured(app);
    const std::vector<std::string> off = flushes(mark);
    check(off.empty(), "with composition off the capture waited for a window manager: " + listText(off));
}

// The first show of a tip leaves two objects of Wine's that stay: the tip's window surface keeps a copy of
// its rounded shape as a region (each later shape is copied into the same one), and the cache of window
// DCs gains a DC, reused from then on, the first time the tip's paint needs one more at once than the
// panel's paints did. Nothing else may appear.
bool warmUpAllowed(const GdiCount& before, const GdiCount& after) {
    for (size_t k = 1; k < std::size(kKindNames); ++k) {
        const long allowed = k == OBJ_REGION || k == OBJ_DC ? 1 : 0;
        if (after.kind[k] - before.kind[k] > allowed)
            return false;
    }
    return true;
}

// Painting the glass look, switching it and showing the tips hundreds of times leaves vantrel with as
// many GDI objects as it had after doing each once: every paint, switch and tip frees what it made.
void caseGdiSteady() {
    constexpr int kRepaints = 300, kSwitches = 40, kTipRounds = 6;
    GlassCopy copy;
    copy.setComposition(true);
    App app(copy.launch());
    expectGlassCalls(copy, 0, compositionOnLines(app), "composition on at start");
    const HWND service = pixelService(app.process.pid());
    DWORD_PTR checked = 0;
    check(sendMessageTimeout(service, dwm_standin::kCheckGdiCount, 0, 0, 10000, &checked) && checked == 1,
          "the stand-in's count of GDI objects missed objects it made and freed itself");
    const GdiCount atStart = settledCount(service, "at start");

    // Each once, so that what is made on first use only is there before the counting starts.
    repaintPanel(app);
    switchComposition(app, copy, false);
    switchComposition(app, copy, true);
    showEveryTip(app);
    const GdiCount warm = settledCount(service, "after one of each");

    Stopwatch watch;
    for (int i = 0; i < kRepaints; ++i)
        repaintPanel(app);
    sayKey("repaints",
           std::to_string(kRepaints) + " in " + std::to_string(static_cast<long>(watch.ms())) + " ms");
    const GdiCount afterRepaints = settledCount(service, "after the repaints");

    watch = Stopwatch();
    const size_t mark = copy.calls().size();
    for (int i = 0; i < kSwitches; ++i)
        switchComposition(app, copy, i % 2 != 0); // off, on, ...: ends on
    sayKey("switches",
           std::to_string(kSwitches) + " in " + std::to_string(static_cast<long>(watch.ms())) + " ms");
    // Each switch asks once; each switch on turns off two windows' animations and extends the frame once.
    expectEq("window manager calls of the switches", kSwitches + 3 * (kSwitches / 2),
             static_cast<long long>(glassCalls(copy, mark).size()));
    const GdiCount afterSwitches = settledCount(service, "after the switches");

    watch = Stopwatch();
    for (int i = 0; i < kTipRounds; ++i)
        showEveryTip(app);
    sayKey("tips", std::to_string(kTipRounds * std::size(kControls)) + " in " +
                       std::to_string(static_cast<long>(watch.ms())) + " ms");
    const GdiCount atEnd = settledCount(service, "after the tips");

    sayKey("gdi_change", "first use " + gdiChange(atStart, warm) + ", repaints " +
                             gdiChange(warm, afterRepaints) + ", switches " +
                             gdiChange(afterRepaints, afterSwitches) + ", tips " +
                             gdiChange(afterSwitches, atEnd));
    std::string problems;
    if (!warmUpAllowed(atStart, warm))
        problems = "doing each once added " + gdiChange(atStart, warm) +
                   ", more than the tip's region and one cached DC";
    if (!(atEnd == warm))
        problems += (problems.empty() ? "" : "; ") + std::to_string(kRepaints) + " repaints, " +
                    std::to_string(kSwitches) + " switches and " +
                    std::to_string(kTipRounds * std::size(kControls)) + " tips changed the GDI objects by " +
                    gdiChange(warm, atEnd) + ": from " + gdiText(warm) + " to " + gdiText(atEnd);
    check(problems.empty(), problems);
}

const RegisterCase kGlassCases[] = {
    {"glass_off_at_start", caseOffAtStart},
    {"glass_on_at_start", caseOnAtStart},
    {"glass_switching", caseSwitching},
    {"glass_old_system", caseOldSystem},
    {"glass_without_dwmapi", caseWithoutLibrary},
    {"glass_gdi_steady", caseGdiSteady},
    {"glass_on_at_192_dpi", caseOnAt192Dpi},
    {"glass_capture_waits_for_screen", caseCaptureWaitsForScreen},
};

} // namespace

namespace {

struct MenuItem {
    UINT id = 0, type = 0, state = 0;
    std::wstring text;
};

// The frame's window menu as vantrel built it, read inside its process by the stand-in's service (Wine lets
// no other process read a menu, neither through GetSystemMenu nor through the open menu's MN_GETHMENU).
std::vector<MenuItem> windowMenu(const App& app, const GlassCopy& copy) {
    DWORD_PTR count = 0;
    check(sendMessageTimeout(pixelService(app.process.pid()), dwm_standin::kReadWindowMenu,
                             reinterpret_cast<WPARAM>(app.frame), 0, 5000, &count) &&
              static_cast<LONG_PTR>(count) > 0,
          "the stand-in could not read the frame's window menu");
    std::vector<MenuItem> items;
    const std::string text = readFile(joinPath(copy.folder(), dwm_standin::kMenuFile));
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        MenuItem item;
        char rest[1024] = "";
        std::sscanf(text.substr(start, end - start).c_str(), "%u\t%u\t%u\t%1023[^\n]", &item.id, &item.type,
                    &item.state, rest);
        item.text = widen(rest);
        sayKey("menu_item", std::to_string(item.id) + " type=" + std::to_string(item.type) +
                                " state=" + std::to_string(item.state) + " " + quoted(item.text));
        items.push_back(item);
    }
    expectEq("window menu items read", static_cast<long long>(count), static_cast<long long>(items.size()));
    return items;
}

// The frame's own items after the About item, in order: id and text, 0 for a separator.
std::vector<std::pair<UINT, std::wstring>> ownItemsAfter(const std::vector<MenuItem>& items, UINT about) {
    std::vector<std::pair<UINT, std::wstring>> own;
    auto i = std::find_if(items.begin(), items.end(), [&](const MenuItem& m) { return m.id == about; });
    if (i == items.end())
        return own;
    for (++i; i != items.end(); ++i)
        own.emplace_back((i->type & MFT_SEPARATOR) ? 0 : i->id, (i->type & MFT_SEPARATOR) ? L"" : i->text);
    return own;
}

// The window menu holds the system's items, then a separator and the About item with its text, enabled,
// then the frame's own items in their groups; the series item reads as its stop while a series runs.
// (The About item's mnemonic cannot be typed to test it here: Wine's own "&About Wine" item in every window
// menu has the same letter.)
void caseWindowMenu() {
    SettingsKey key;
    TempDir shots;
    writeQuickSettings(shots.path(), L"s_{n}.png");
    GlassCopy copy(L"vantrel_menu.exe");
    App app(copy.launch(), Remembered::Kept);
    const std::vector<MenuItem> items = windowMenu(app, copy);
    const auto about =
        std::find_if(items.begin(), items.end(), [](const MenuItem& i) { return i.id == IDM_ABOUTBOX; });
    check(about != items.end(), "the window menu has no item " + std::to_string(IDM_ABOUTBOX));
    expectEq("About item text", std::wstring(L"バージョン情報 Vantrel(&A)..."), about->text);
    check(about->type == MFT_STRING && !(about->state & MFS_GRAYED),
          "the About item is not an enabled text item");
    check(about - items.begin() >= 2 && (about[-1].type & MFT_SEPARATOR),
          "no separator before the About item");
    bool close = false;
    for (auto i = items.begin(); i != about - 1; ++i) {
        check((i->type & MFT_SEPARATOR) || i->id >= SC_SIZE,
              "an item of vantrel's own before the system's end: " + std::to_string(i->id) + " " +
                  quoted(i->text));
        close = close || i->id == SC_CLOSE;
    }
    check(close, "the system's items before the About item do not include Close");

    std::vector<std::pair<UINT, std::wstring>> own{
        {0, L""},
        {IDM_PLACEMENT, L"位置とサイズの指定(&P)..."},
        {IDM_SHOW_PANEL, L"操作パネルを表示(&O)"},
        {IDM_DEFAULT_PLACEMENT, L"既定の位置とサイズに戻す(&D)"},
        {IDM_FIT_WINDOW, L"下のウィンドウに合わせる(&W)"},
        {0, L""},
        {IDM_CAPTURE_IN_3S, L"3秒後にキャプチャ(&3)"},
        {IDM_CAPTURE_IN_5S, L"5秒後にキャプチャ(&5)"},
        {IDM_CAPTURE_IN_10S, L"10秒後にキャプチャ(&T)"},
        {0, L""},
        {IDM_QUICK_SHOT, L"クイック保存(&Q)"},
        {IDM_SERIES, L"連続キャプチャ(&B)"},
        {0, L""},
        {IDM_SETTINGS, L"設定(&E)..."},
    };
    auto ownText = [](const std::vector<std::pair<UINT, std::wstring>>& list) {
        std::vector<std::wstring> lines;
        for (const auto& [id, text] : list)
            lines.push_back(std::to_wstring(id) + L" " + text);
        return joinLines(lines);
    };
    const auto shown = ownItemsAfter(items, IDM_ABOUTBOX);
    check(shown == own, "the frame's items are " + ownText(shown) + ", not " + ownText(own));

    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_SERIES, 0);
    waitButtonText(app, L"1枚", "the series");
    openWindowMenu(app);
    const std::vector<MenuItem> running = windowMenu(app, copy);
    closeWindowMenu(app);
    PostMessageW(app.frame, WM_SYSCOMMAND, IDM_SERIES, 0);
    waitButtonText(app, L"Capture", "the series stopped by its item");
    for (auto& item : own)
        if (item.first == IDM_SERIES)
            item.second = L"連続キャプチャを停止(&B)";
    const auto whileRunning = ownItemsAfter(running, IDM_ABOUTBOX);
    check(whileRunning == own,
          "while a series runs the frame's items are " + ownText(whileRunning) + ", not " + ownText(own));
}

const RegisterCase kWindowMenuCases[] = {{"window_menu", caseWindowMenu}};

} // namespace
