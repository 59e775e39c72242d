# End-to-end cases of vantrel_e2e.exe (run as `vantrel_e2e.exe CASE`; `vantrel_e2e.exe --list` prints the same names).
# They share one desktop (topmost frame, foreground, console windows): run them one at a time.
set(VANTREL_E2E_CASES
    frame_window
    frame_see_through
    frame_resize_caption
    debug_switch_accepted
    debug_switch_rejected
    debug_switch_twice
    debug_close_delay
    debug_console_ctrl_events
    debug_console_close
    keys_end_program
    about_box
    about_version_lookup_failed
    about_version_text
    panel_docking
    panel_capture_picture
    panel_capture_off_screen
    panel_refusals
    panel_copy
    panel_clipboard_busy
    panel_capture_to_clipboard
    panel_resize_refusal
    panel_esc
    panel_cycle_memory
    panel_capture_failure
)
