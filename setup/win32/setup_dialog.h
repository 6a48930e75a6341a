// The setup wizard's real window.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace pel {

// Runs the setup wizard modally, owned by owner. A failure met while the
// wizard is constructed or first shown ends it: its text (for the standard
// error box) is returned; empty when none.
Text RunSetupWizard(HWND owner);

}  // namespace pel
