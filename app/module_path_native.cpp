// The running program's path on Linux, for native tools and tests.
#include <unistd.h>

#include "app/constants.h"

namespace pel {

Text OwnModulePath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? Text(buf, static_cast<size_t>(n)) : Text();
}

}  // namespace pel
