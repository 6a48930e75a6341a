// The install driver: the wait dialog, then the four steps, with the wizard's fields as input.
#pragma once

#include <string_view>

#include "base/function_ref.h"
#include "setup/install_steps.h"
#include "setup/setup_form.h"

namespace pel {

// The wait dialog: true when the pause ran out, false when the user cancelled.
using WaitDialog = FunctionRef<bool(std::string_view caption, std::string_view message)>;

InstallContext ContextOf(TSetupForm& form);
// Hourglass, wait dialog, then the steps; true only when the pause ran out and
// every step succeeded. A failure the steps leave for the standard error box
// (InstallServices::failure) moves to the form (TSetupForm::Fail).
bool RunInstall(TSetupForm& form, InstallServices& services, WaitDialog wait);

}  // namespace pel
