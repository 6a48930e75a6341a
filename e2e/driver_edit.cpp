// What the driver reads from edit controls beyond their text.
#include "e2e/driver_edit.h"

bool WholeTextSelected(HWND edit, std::string* seen) {
  // Pointers would name the driver's memory inside another process: the
  // selection comes back packed in the result instead.
  DWORD_PTR sel = static_cast<DWORD_PTR>(SendMessageA(edit, EM_GETSEL, 0, 0));
  DWORD from = LOWORD(sel), to = HIWORD(sel);
  // GetWindowTextLength would not ask a window of another process.
  int length = static_cast<int>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
  *seen = "characters " + std::to_string(from) + " to " + std::to_string(to) + " of " +
          std::to_string(length) + " selected";
  return length > 0 && from == 0 && to == static_cast<DWORD>(length);
}
