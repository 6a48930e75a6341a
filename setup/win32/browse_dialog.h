// The browse dialog's real window: picking a folder from linked folder, file and drive lists.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/text.h"

namespace pel {

// Shows the browse dialog modally over owner, opening on the folder of the
// running executable. Returns the chosen folder lower-cased, or "cancel". With a
// requiredFile only a folder holding that file is accepted. The process's current
// directory is left at the last folder the dialog showed.
Text BrowseForFolder(HWND owner, std::string_view requiredFile);

}  // namespace pel
