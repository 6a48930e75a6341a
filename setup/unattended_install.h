// Installation without a window: the wizard's defaults and rules, the switches' values, the same four steps.
#pragma once

#include "app/command_line.h"
#include "setup/install_steps.h"

namespace pel {

// Runs the installation the switches ask for and returns its exit code:
// ExitDone, ExitUsage (a fresh installation without address or server, as the
// wizard would not let it through) or ExitStepFailed (also for a destination
// holding files that are not the product's, unless forceDir vouches for the
// folder; then nothing is changed). Nothing is shown: the
// services' Ui must be a silent one, and the steps' boxes land in the log.
// The distribution is sourceFolder; the defaults and the earlier installation
// are read exactly as the wizard reads them.
int RunUnattendedInstall(const Switches& sw, const Text& sourceFolder, InstallServices& services);

}  // namespace pel
