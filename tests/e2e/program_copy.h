// Copies of vantrel under names of their own, each with Wine's settings for that name: where its system
// libraries come from (stand-ins, planted copies) and the system version Wine tells it.
#pragma once

#include "tests/e2e/files.h"
#include "tests/e2e/processes.h"

#include <string>
#include <vector>

namespace e2e {

// Wine's settings for one program name (HKCU\Software\Wine\AppDefaults\NAME) while the object lives. A
// child started by the driver takes its DLL overrides from here: WINEDLLOVERRIDES in the environment block
// given to CreateProcessW is not read.
class WineProgramSettings {
public:
    explicit WineProgramSettings(const std::wstring& exeName);
    ~WineProgramSettings();
    WineProgramSettings(const WineProgramSettings&) = delete;
    WineProgramSettings& operator=(const WineProgramSettings&) = delete;

    // The load order of one library for this program: L"native", L"builtin", L"native,builtin", or L""
    // (none: the library cannot be loaded).
    void overrideDll(const wchar_t* library, const wchar_t* order);
    // The system version Wine reports to this program (L"winxp64", ...).
    void setVersion(const wchar_t* version);

private:
    void set(const std::wstring& subKey, const wchar_t* name, const wchar_t* value);
    void remove(bool report) const;
    std::wstring key_;
};

// Puts the stand-in dwmapi.dll (built into dwm_standin\ beside the driver) in the system folder of the test
// prefix, where vantrel loads its dwmapi from, with Wine's own library chosen for every program that does not
// ask for the stand-in by its AppDefaults (Library::StandIn below). Done once; later calls find it there.
void installDwmStandIn();

// Where a copy's dwmapi comes from.
enum class Library {
    StandIn, // the stand-in in the system folder
    Missing, // none: the library is disabled for the copy
};

// A copy of vantrel in a folder of its own whose dwmapi is the stand-in (or none), with the stand-in's
// files in that folder. The stand-in's folder reaches it through the copy's environment.
class GlassCopy {
public:
    explicit GlassCopy(const wchar_t* exeName = L"vantrel_glass.exe", Library library = Library::StandIn,
                       const wchar_t* version = nullptr);

    // Also moves the pointer to a corner of the screen, so that no hover look or tip shows on the panel.
    support::LaunchOptions launch() const;
    void setComposition(bool on) const;
    // Every call the stand-in has recorded, in order.
    std::vector<std::string> calls() const;
    const std::wstring& folder() const { return dir_.path(); }

private:
    TempDir dir_;
    std::wstring exe_;
    WineProgramSettings settings_;
};

} // namespace e2e
