#pragma once
// Controls of the panel that stay readable on glass: the system draws them into an off-screen buffer,
// then a push button's face is made opaque and the check box's label is drawn again as glowing text.
// They take over a control only while the glass look is on and paint nothing else of their own.

#include "platform/subclass.h"

// A push button whose face and caption are opaque on glass.
class COpaButton : public platform::CSubclassWnd {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
};

// A check box whose label is drawn as composited text with a glow.
class COpaCheck : public platform::CSubclassWnd {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
};

// A height in pixels as points, at the vertical resolution of the main window's display.
int PixelsToPoints(int pixels);
