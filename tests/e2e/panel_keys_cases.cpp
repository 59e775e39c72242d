// End-to-end cases of the keyboard in the panel: Enter on a focused push button runs that button's command,
// and Enter with the Right Pos box focused ends the panel as a dialog, which hides it.
#include "tests/e2e/app.h"
#include "tests/e2e/case_registry.h"
#include "tests/e2e/messages.h"
#include "tests/e2e/input.h"
#include "tests/e2e/report.h"
#include "tests/e2e/wait.h"

#include "res/resource.h"

using namespace e2e;

namespace {

// Gives a control of the panel the keyboard focus and presses Enter.
void enterOn(const App& app, int id) {
    focusControl(app, id);
    pressChord({VK_RETURN});
}

bool clipboardHasBitmap() {
    if (!OpenClipboard(nullptr))
        return false;
    const bool has = GetClipboardData(CF_BITMAP) != nullptr;
    CloseClipboard();
    return has;
}

void caseEnterOnControls() {
    App app;
    enterOn(app, IDC_CAPTURE);
    waitCaptured(app);

    putClipboardText(L"before Copy");
    enterOn(app, IDC_COPY);
    check(waitFor(clipboardHasBitmap, 5000), "Enter on Copy put no bitmap on the clipboard");

    enterOn(app, IDC_CLEAR);
    check(waitFor([&] { return app.layered(); }, 5000), "Enter on Clear did not make the frame see-through");

    enterOn(app, IDC_SAVE);
    expectMessage(app, kNothingToSave, "Enter on Save with no picture");

    enterOn(app, IDC_RIGHTPOS);
    check(waitFor([&] { return !IsWindowVisible(app.panel); }, 5000),
          "Enter with the Right Pos box focused did not hide the panel");
    expectEq("Right Pos after Enter", BST_CHECKED, SendMessageW(app.button(IDC_RIGHTPOS), BM_GETCHECK, 0, 0));
    check(app.process.running() && IsWindowVisible(app.frame), "the frame went away with the panel");
}

const RegisterCase kPanelKeyCases[] = {{"panel_enter_on_controls", caseEnterOnControls}};

} // namespace
