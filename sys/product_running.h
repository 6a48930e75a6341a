// Whether Pelmora runs from its folder, asked by the installer and the removal before anything there is replaced or removed.
#pragma once

#include <string_view>

#include "base/function_ref.h"
#include "base/text.h"
#include "sys/platform.h"
#include "sys/ui.h"

namespace pel {

inline constexpr std::string_view ProductRunningText =
    "Pelmora is running and must be closed first.\n\n"
    "Close Pelmora, then click Retry; or click Cancel to go back.";

// True when a program runs from folder's PL.exe, or folder's database PL.dbc
// is held open by another program. A folder without them runs nothing.
bool ProductRunning(Platform& p, std::string_view folder);

// A box owned by the asking window.
using AskBox = FunctionRef<MsgAnswer(std::string_view text, std::string_view caption, MsgButtons)>;

// While Pelmora runs from folder, asks Retry or Cancel; Retry looks again.
// True once it does not run (at once when it never did), false on Cancel.
// Never ends the user's program.
bool AwaitProductClosed(Platform& p, std::string_view folder, AskBox ask);

// The log line of an unattended run that stops for it.
Text ProductRunningLogLine(std::string_view folder);

}  // namespace pel
