// Whether Pelmora runs from its folder, asked before anything there is replaced or removed.
#include "sys/product_running.h"

#include "app/constants.h"
#include "sys/paths.h"

namespace pel {

bool ProductRunning(Platform& p, std::string_view folder) {
  if (folder.empty()) return false;
  Text dir = WithTrailingBackslash(folder);
  return p.processes.RunsFrom(dir + Text(ProductExe)) ||
         p.processes.HeldOpen(dir + ChangeFileExt(ProductExe, StoreExt));
}

bool AwaitProductClosed(Platform& p, std::string_view folder, AskBox ask) {
  while (ProductRunning(p, folder)) {
    if (ask(ProductRunningText, ProductName, MsgButtons::RetryCancel) != MsgAnswer::Retry)
      return false;
  }
  return true;
}

Text ProductRunningLogLine(std::string_view folder) {
  return Text(ProductName) + " is running from " + Text(folder) +
         ": nothing was changed. Close it and start again.";
}

}  // namespace pel
