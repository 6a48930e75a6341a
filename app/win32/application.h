// The application object: title, module handle, and the standard exception box.
#pragma once

#include <windows.h>

#include <string_view>

#include "app/text.h"
#include "sys/ui.h"

namespace pel::app {

HINSTANCE Instance();
void SetInstance(HINSTANCE h);

// The title shown as the caption of the standard exception box.
const Text& Title();
void SetTitle(std::string_view title);

// The platform's standard exception box: the message (with a final full stop
// added when it has none), the application title as caption, an error icon.
void ShowException(std::string_view message);

// A modal message box owned by owner (nullptr: this thread's active window).
MsgAnswer ShowBox(HWND owner, std::string_view text, std::string_view caption, MsgButtons buttons,
                  MsgIcon icon = MsgIcon::None);

}  // namespace pel::app
