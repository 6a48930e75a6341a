// What the driver reads from edit controls beyond their text.
#include "e2e/driver_edit.h"

bool WholeTextSelected(HWND edit) {
  DWORD from = 0, to = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  int length = GetWindowTextLengthA(edit);
  return length > 0 && from == 0 && to == static_cast<DWORD>(length);
}
