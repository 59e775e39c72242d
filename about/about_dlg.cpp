#include "about/about_dlg.h"

#include "about/version_info.h"
#include "about/version_text.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() noexcept : CDialogEx(IDD_ABOUTBOX, nullptr) {}

void CAboutDlg::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(IDC_VERSION, m_strVersion);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    m_strVersion = about::AboutVersionLine(GetVersionText());
    UpdateData(false);
    return TRUE;
}
