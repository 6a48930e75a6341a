// The wait dialog's real window: the cancellable pause before a wizard's work.
#pragma once

#include <windows.h>

#include <string_view>

namespace pel {

// Shows the wait dialog modally over owner with the given caption, blinking
// message. True when the pause ran out by itself; false when the user cancelled
// it (or the dialog could not be shown at all, so no work runs unconfirmed).
bool ShowWaitDialog(std::string_view caption, std::string_view message, HWND owner);

}  // namespace pel
