// What the driver reads from edit controls beyond their text.
#pragma once

#include <windows.h>

#include <string>

// True when the edit's whole, non-empty text is selected, as after a focus
// move that invites the user to type a new text; seen tells what is selected.
bool WholeTextSelected(HWND edit, std::string* seen);
