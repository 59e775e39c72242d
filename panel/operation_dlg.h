#pragma once
// The operation panel docked beside the frame: it holds the captured picture and runs the capture
// cycle's commands (Capture, Clear, Copy, Save, and 1001, a capture straight to the clipboard).

#include "panel/capture_countdown.h"
#include "panel/capture_cycle.h"
#include "panel/opa_controls.h"
#include "panel/operation_tooltip.h"
#include "panel/panel_host.h"
#include "panel/panel_layout.h"
#include "quick/series_schedule.h"
#include "platform/buffered_paint.h"
#include "platform/clipboard.h"
#include "platform/dialog.h"
#include "platform/dpi_scale.h"
#include "platform/unique_handle.h"

#include <uxtheme.h>

#include <array>
#include <optional>

class COperationDlg : public platform::CDialogEx {
public:
    // The host outlives the panel: it embeds it.
    explicit COperationDlg(panel::PanelHost& host) noexcept;

    // Makes the panel's window, owned by the host's.
    bool Create();

    // True while a picture is held; the frame then refuses resizing.
    bool HoldsPicture() const noexcept { return static_cast<bool>(m_bmpCapture); }
    // True while the held picture has been neither copied nor saved since its capture: ending the program
    // would lose it.
    bool HoldsUnkeptPicture() const noexcept { return HoldsPicture() && !m_bKept; }
    // True while the panel docks on the host's right (the Right Pos box is ticked).
    bool DocksRight() const noexcept { return m_bRightPos; }
    // Docks on the host's right (true) or left from now on, with the Right Pos box ticked to match.
    void SetDocksRight(bool right);
    // Runs the Capture command after a countdown of the given seconds, shown on the Capture button. A modal
    // run of the program (a dialog or message box of either window) stops the count.
    void StartTimedCapture(int seconds);
    // True while a timed capture counts down.
    bool CountingDown() const noexcept { return m_countdown.Counting(); }
    // Makes every format still promised on the clipboard now, as before the program ends without its
    // windows being destroyed (the session ends).
    void RenderPromisedFormats();

    enum class QuickShotResult { Taken, Skipped, Failed };
    // Writes a quick shot to the next name in the settings' folder, without a dialog: the held picture (which
    // then counts as kept), or with none the pixels under the host's region copied at once, with both windows
    // left as they are, the focus and the foreground untouched. The Capture button acknowledges it. Skipped
    // while one of the program's modal runs or the host's window menu is up (either may lie over the
    // region); a failure is told as Save tells it and stops a running series.
    QuickShotResult QuickShot();
    // Starts a series of quick shots, the first at once, with the settings' interval and count (refused with
    // Capture's message while a picture is held; not while a timed capture counts or under a modal run), or
    // stops the one running. The Capture button shows its progress, and a click on it stops it.
    void ToggleSeries();
    bool SeriesRunning() const noexcept { return m_series.has_value(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(platform::DataExchange& dx) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id, UINT code) override;
    bool PreTranslateMessage(MSG& msg) override;

private:
    void OnCaptureToClipboard();
    void OnCaptureButton();
    void OnCapture(panel::CaptureStart start = panel::CaptureStart::PanelCommand);
    void OnClear();
    void OnCopy();
    void OnSave();
    void OnRightPos();
    LRESULT OnNcLButtonDown(WPARAM hitTest, LPARAM point);
    LRESULT OnCompositionChanged(WPARAM wp, LPARAM lp);
    LRESULT OnCtlColor(UINT msg, WPARAM dc, LPARAM control);
    LRESULT OnNotify(WPARAM wp, LPARAM lp);
    LRESULT OnRenderFormat(UINT format);
    LRESULT OnRenderAllFormats();
    LRESULT OnDestroyClipboard();
    void OnCountdownTick();
    void OnSeriesTimer();
    void ArmSeriesTimer();
    void StopSeries();
    void Acknowledge();
    void HideTip();
    void OnEnable(bool enabled);
    void OnDestroy();
    void OnDpiChanged(int dpi);

    void SetUpToolTip();
    void ApplyGlassMode();
    void SubclassGlassControls();
    void DisableHideAnimations();
    bool HostShowsRegion();
    void HideWindows();
    // Shows both windows again, with the activation or without it (panel::TakesActivationBack).
    void ShowWindows(panel::CaptureStart start);
    // Tells the user when the clipboard did not take the bitmap; true when it did.
    bool ReportClipboard(platform::ClipboardResult result);
    void StopCountdown();
    void ShowCaptureButton();
    panel::PanelLayout MeasureLayout() const;
    panel::PanelLayout FitLabels(panel::PanelLayout layout) const;
    void ApplyLayout(const panel::PanelLayout& layout);
    void SetControlFont(HFONT font);
    std::array<COpaControl*, 5> GlassControls() noexcept;

    panel::PanelHost& m_host;
    // The held picture; held exactly while this holds one. The clipboard may share it after Copy.
    platform::SharedBitmap m_bmpCapture;
    // What Copy and 1001 last put on the clipboard, kept while formats made from it are still promised,
    // whatever becomes of the held picture.
    platform::ClipboardPicture m_clipboard;
    bool m_bKept = false;    // the held picture went to the clipboard or a file since its capture
    bool m_bRightPos = true; // docked on the frame's right; bound to the Right Pos box
    // A timed capture's seconds left, which the Capture button shows in place of its own text.
    panel::CaptureCountdown m_countdown;
    std::wstring m_captureText;
    // A running series of quick shots, whose progress the Capture button shows.
    std::optional<quick::SeriesSchedule> m_series;
    bool m_acknowledging = false; // the Capture button says a quick shot was written, for a moment

    bool m_bGlass = false;      // composition is on and the panel is one sheet of glass
    MARGINS m_marGlass{};       // handed to the DWM; -1, 0, 0, 0 once glass was applied
    bool m_bSubclassed = false; // while the five controls below are taken over
    COpaButton m_btnClear;      // 1003
    COpaButton m_btnCapture;    // 1002
    COpaButton m_btnCopy;       // 1004
    COpaButton m_btnSave;       // 1005
    COpaCheck m_chkRightPos;    // 1006
    COperationToolTipCtr m_ToolTip;
    platform::BufferedPaintSession m_bufferedPaint; // the glass controls paint through buffers

    int m_dpi = platform::kDefaultDpi;     // the display scale the panel is drawn at
    bool m_applyingScale = false;          // a change of scale is being laid out and docked
    int m_madeDpi = platform::kDefaultDpi; // the scale the dialog manager made it at, from its template
    panel::PanelLayout m_madeLayout;       // the controls as the dialog manager placed them
    HFONT m_madeFont = nullptr;            // the dialog's font, owned by the dialog manager
    platform::UniqueFont m_font;           // that font at m_dpi, while that is not the scale it was made at
};
