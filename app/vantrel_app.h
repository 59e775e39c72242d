#pragma once
// The application: reads the command line, sets up the debug console or silences the streams,
// runs the capture frame as a modal dialog and ends the process when it closes.

#include "platform/app.h"

class CVantrelApp : public platform::CWinApp {
public:
    CVantrelApp() noexcept;
    BOOL InitInstance() override;
};

// Set to 1 when the hidden debug switch is on the command line.
extern int g_bDebugMode;
