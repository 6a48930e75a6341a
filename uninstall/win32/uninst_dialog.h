// The uninstall wizard's real window and its closing notice.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace pel {

// Runs the uninstall wizard modally, owned by owner. An exception thrown while
// the wizard is created (a registry value of the wrong type) leaves this call.
void RunUninstallWizard(HWND owner);

// Runs the closing notice modally over owner, its button opening folder.
void ShowManualDeleteNotice(const Text& folder, bool complete, HWND owner);

}  // namespace pel
