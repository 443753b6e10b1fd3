#pragma once

#include <string>

namespace redten {

enum class SystemBoxIcon { Error, Exclamation, Information };

// True when the program runs on a screen a person can see; the offscreen
// platform (tests, headless runs) has none, and modal boxes would never be
// answered there.
bool HasVisibleScreen();

// The system's own modal box with a single OK button. Shown only when
// HasVisibleScreen(); returns once it is dismissed.
void ShowSystemMessageBox(const std::string& text, const std::string& caption, SystemBoxIcon icon);

}  // namespace redten
