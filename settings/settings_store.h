#pragma once
// The settings as HKCU\Software\Vantrel holds them: read once at start, written when the settings dialog is
// confirmed.

#include "settings/settings_rules.h"

#include <string>

namespace settings {

// The stored settings, each missing or damaged value replaced by its default.
Settings ReadSettings();

// Writes every value; false when the key or a value could not be written.
bool WriteSettings(const Settings& settings);

// Where quick shots go by default: the folder Vantrel in the user's Pictures folder; empty when the system
// cannot say where that is.
std::wstring DefaultQuickFolder();

} // namespace settings
