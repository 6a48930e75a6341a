// The running program's full path as Windows reports it for its own module.
#include <windows.h>

#include "app/constants.h"

namespace pel {

Text OwnModulePath() {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? Text(buf, n) : Text();
}

}  // namespace pel
