// Installation without a window: the wizard's defaults and rules, the switches' values, the same four steps.
#pragma once

#include <optional>

#include "setup/install_steps.h"

namespace pel {

// What the command line asks of an unattended installation.
struct InstallChoices {
  std::optional<Text> dir;      // the destination folder, instead of the wizard's default
  bool forceDir = false;        // the folder is meant, though it holds files not the product's
  std::optional<Text> address;  // the e-mail address
  std::optional<Text> server;   // the mail server
  bool noGroup = false;         // no program group
};

// Runs the installation the switches ask for and returns its exit code:
// ExitDone, ExitUsage (a fresh installation without address or server, as the
// wizard would not let it through), ExitStepFailed (also for a destination
// holding files that are not the product's, unless forceDir vouches for the
// folder; then nothing is changed) or ExitProductRunning (Pelmora runs from
// the destination; nothing changed). Nothing is shown: the
// services' Ui must be a silent one, and the steps' boxes land in the log.
// The distribution is sourceFolder; the defaults and the earlier installation
// are read exactly as the wizard reads them.
int RunUnattendedInstall(const InstallChoices& sw, const Text& sourceFolder, InstallServices& services);

}  // namespace pel
