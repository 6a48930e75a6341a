// The mode decision: a pure function, so it is tested without a window in sight.
#include "app/mode.h"

#include "app/constants.h"

namespace pel {

Mode DecideMode(std::string_view exePath, std::string_view firstArg) {
  if (AnsiLowerCase(ExtractFileName(exePath)) != "setup.exe") return Mode::Uninstall;
  return AnsiLowerCase(firstArg) == "-u" ? Mode::Uninstall : Mode::Setup;
}

}  // namespace pel
