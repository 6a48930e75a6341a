// How a modal run of a dialog ends, shared by the dialogs' portable logic.
#pragma once

namespace pel {

// The values are the Win32 IDOK/IDCANCEL codes.
enum class ModalResult : int { None = 0, Ok = 1, Cancel = 2 };

}  // namespace pel
