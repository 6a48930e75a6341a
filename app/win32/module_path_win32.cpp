// The running program's full path as Windows reports it for its own module.
#include <windows.h>

#include <vector>

#include "app/constants.h"
#include "base/win32/wide_path.h"

namespace pel {

Text OwnModulePath() {
  // Read in Unicode: the 8-bit call would best-fit a name outside the code
  // page to another spelling, and the distribution folder would be another.
  std::vector<wchar_t> buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return Text();
  return win32::NarrowSystemPath(std::wstring_view(buf.data(), n)).path;
}

}  // namespace pel
