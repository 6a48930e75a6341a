// The uninstall wizard's real window and its closing notice.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace pel {

// Runs the uninstall wizard modally, owned by owner. A failure met while the
// wizard is created (a registry value of the wrong type) ends it: its text
// (for the standard error box) is returned; empty when none.
Text RunUninstallWizard(HWND owner);

// Runs the closing notice modally over owner, its button opening folder.
void ShowManualDeleteNotice(const Text& folder, bool complete, HWND owner);

}  // namespace pel
