#pragma once
// The frame remembered between runs: its client rectangle and the panel's side, as REG_DWORD values
// Left, Top, Width, Height and RightPos under HKCU\Software\Vantrel, beside the settings (settings/).

#include "frame/placement_rules.h"
#include "platform/rect.h"

#include <optional>

namespace frame {

// The values as they are stored, none when the key is missing; frame::CheckStoredFrame decides what counts.
std::optional<StoredFrame> ReadStoredFrame();

// Writes the five values, as far as the registry takes them.
void WriteStoredFrame(const platform::Rect& client, bool rightPos);

} // namespace frame
