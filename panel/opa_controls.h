#pragma once
// Controls of the panel that stay readable on glass: the system draws them into an off-screen buffer,
// then a push button's face is made opaque and the check box's label is drawn again as glowing text.
// They take over a control only while the glass look is on and paint nothing else of their own.

#include "platform/dpi_scale.h"
#include "platform/subclass.h"

namespace platform {
class BufferedPaint;
}

// A control painted through an off-screen buffer: the system draws it there, then the subclass
// finishes the picture before it goes to the screen in one step.
class COpaControl : public platform::CSubclassWnd {
public:
    // The display scale the panel is drawn at, which sizes what the subclass adds.
    void SetDpi(int dpi) noexcept { m_dpi = dpi; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Called with the control drawn into buffer, which covers client.
    virtual void FinishPaint(platform::BufferedPaint& buffer, const RECT& client) = 0;

    int m_dpi = platform::kDefaultDpi;

private:
    void OnPaint();
};

// A push button whose face and caption are opaque on glass.
class COpaButton : public COpaControl {
protected:
    void FinishPaint(platform::BufferedPaint& buffer, const RECT& client) override;
};

// A check box whose label is drawn as composited text with a glow.
class COpaCheck : public COpaControl {
protected:
    void FinishPaint(platform::BufferedPaint& buffer, const RECT& client) override;
};
