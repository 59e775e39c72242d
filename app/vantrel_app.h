#pragma once
// The application: reads the command line, sets up the debug console or silences the streams,
// runs the capture frame as a modal dialog and ends the process when it closes.

#include "platform/app.h"

class CVantrelApp : public platform::CWinApp {
public:
    CVantrelApp() noexcept;
    bool InitInstance() override;
};

// True when the hidden debug switch is on the command line.
extern bool g_bDebugMode;
