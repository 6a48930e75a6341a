// Which wizard runs: decided from the executable's own name and the first argument.
#pragma once

#include <string_view>

namespace pel {

enum class Mode { Setup, Uninstall };

// Setup only when the executable's file name is "setup.exe" (after lower-casing)
// and the first argument, lower-cased, is not "-u". Further arguments never count.
Mode DecideMode(std::string_view exePath, std::string_view firstArg);

}  // namespace pel
