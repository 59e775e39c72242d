#pragma once
// The About box: the application icon and the product's name and version.

#include "platform/dialog.h"

#include <string>

class CAboutDlg : public platform::CDialogEx {
public:
    CAboutDlg() noexcept;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(platform::DataExchange& dx) override;

private:
    std::wstring m_strVersion;
};
