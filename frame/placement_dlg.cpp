#include "frame/placement_dlg.h"

#include "platform/message_box.h"
#include "res/resource.h"

#include <utility>

namespace {

// More than any screen coordinate needs, with a sign.
constexpr WPARAM kFieldLength = 12;

constexpr int kFieldIds[] = {IDC_PLACE_X, IDC_PLACE_Y, IDC_PLACE_WIDTH, IDC_PLACE_HEIGHT};

int FieldId(frame::PlacementField field) {
    return kFieldIds[static_cast<int>(field)];
}

} // namespace

CPlacementDlg::CPlacementDlg(HWND frame, const platform::Rect& current, bool pictureHeld,
                             frame::Desktop desktop)
    : CDialogEx(IDD_PLACEMENT, frame), m_current(current),
      m_pictureHeld(pictureHeld), m_typed{std::to_wstring(current.left), std::to_wstring(current.top),
                                          std::to_wstring(current.Width()),
                                          std::to_wstring(current.Height())},
      m_desktop(std::move(desktop)), m_chosen(current) {}

// Called when the dialog is made: the fields show the current client area; while a picture is held the
// size cannot be changed, as with the frame's borders.
BOOL CPlacementDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    for (int id : kFieldIds)
        ::SendDlgItemMessageW(m_wnd, id, EM_LIMITTEXT, kFieldLength, 0);
    FillSizeList();
    if (m_pictureHeld) {
        for (int id : {IDC_PLACE_WIDTH, IDC_PLACE_HEIGHT, IDC_PLACE_SIZES})
            ::EnableWindow(::GetDlgItem(m_wnd, id), FALSE);
    }
    return TRUE;
}

// The common sizes, the current one selected when it is among them.
void CPlacementDlg::FillSizeList() {
    HWND list = ::GetDlgItem(m_wnd, IDC_PLACE_SIZES);
    const auto& sizes = frame::CommonSizes();
    for (size_t i = 0; i < sizes.size(); ++i) {
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(frame::SizeText(sizes[i]).c_str()));
        if (sizes[i] == frame::Size{m_current.Width(), m_current.Height()})
            ::SendMessageW(list, CB_SETCURSEL, i, 0);
    }
}

void CPlacementDlg::DoDataExchange(platform::DataExchange& dx) {
    dx.Text(IDC_PLACE_X, m_typed.x);
    dx.Text(IDC_PLACE_Y, m_typed.y);
    dx.Text(IDC_PLACE_WIDTH, m_typed.width);
    dx.Text(IDC_PLACE_HEIGHT, m_typed.height);
}

bool CPlacementDlg::OnCommand(UINT id, UINT code) {
    if (id == IDC_PLACE_SIZES && code == CBN_SELCHANGE) {
        OnSizeChosen();
        return true;
    }
    return CDialogEx::OnCommand(id, code);
}

// Called when a size is chosen from the list: it fills W and H.
void CPlacementDlg::OnSizeChosen() {
    const LRESULT index = ::SendDlgItemMessageW(m_wnd, IDC_PLACE_SIZES, CB_GETCURSEL, 0, 0);
    const auto& sizes = frame::CommonSizes();
    if (index < 0 || static_cast<size_t>(index) >= sizes.size())
        return;
    ::SetDlgItemTextW(m_wnd, IDC_PLACE_WIDTH, std::to_wstring(sizes[index].width).c_str());
    ::SetDlgItemTextW(m_wnd, IDC_PLACE_HEIGHT, std::to_wstring(sizes[index].height).c_str());
}

// Called for OK: invalid values keep the dialog open with the offending field selected and say what is
// wrong; valid ones end it.
void CPlacementDlg::OnOK() {
    UpdateData(true);
    const frame::PlacementCheck check = frame::CheckPlacement(m_typed, m_current, m_pictureHeld, m_desktop);
    if (check.problem != frame::PlacementProblem::None) {
        platform::ShowMessage(m_wnd, frame::PlacementMessage(check).c_str());
        HWND field = ::GetDlgItem(m_wnd, FieldId(check.field));
        ::SendMessageW(m_wnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        ::SendMessageW(field, EM_SETSEL, 0, -1);
        return;
    }
    m_chosen = check.client;
    EndDialog(IDOK);
}
