// Removal without a window: the wizard's installed state and box rules, the same steps, no pauses.
#pragma once

#include <functional>

#include "app/constants.h"
#include "sys/action_log.h"
#include "uninstall/removal_steps.h"

namespace pel {

// Removes Pelmora, and Mixmaster when mixmaster is set or the wizard's box
// rules tie it to Pelmora (its folder inside Pelmora's, or the same folder).
// The same order, steps, guards and survivors as the wizard; no pause, beep
// or closing notice. The services' Ui must show nothing; every line the
// wizard would log, and every box it would show, goes to log.
// A file in use is looked at again quietly for about two seconds (sleep
// waits between looks); then nothing is removed and the log names it.
// Returns ExitDone, ExitStepFailed (a box would have been shown),
// ExitNothingToRemove, ExitProductRunning (nothing changed), or
// ExitRemovalLeftSomething (a file in use before the start, nothing changed;
// or something the run could not delete, named in the log).
int RunUnattendedRemoval(bool mixmaster, Platform& platform, Ui& ui, ActionLog& log,
                         const std::function<void(int ms)>& sleep = nullptr);

}  // namespace pel
