// The setup wizard's real window.
#pragma once

#include <windows.h>

namespace pel {

// Runs the setup wizard modally, owned by owner. An exception thrown while the
// wizard is constructed or first shown leaves this call.
void RunSetupWizard(HWND owner);

}  // namespace pel
