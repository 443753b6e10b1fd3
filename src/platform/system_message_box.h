#pragma once

#include <string>

class QWidget;

namespace redten {

enum class SystemBoxIcon { Error, Exclamation, Information };

// True when the program runs on a screen a person can see; the offscreen
// platform (tests, headless runs) has none, and modal boxes would never be
// answered there.
bool HasVisibleScreen();

// The system's own modal box with a single OK button. Shown only when
// HasVisibleScreen(); returns once it is dismissed.
void ShowSystemMessageBox(const std::string& text, const std::string& caption, SystemBoxIcon icon);

// The same box, modal to its owner's window but returning at once; it goes
// away by itself once dismissed.
void OpenSystemMessageBox(const std::string& text, const std::string& caption, SystemBoxIcon icon,
                          QWidget* owner);

}  // namespace redten
