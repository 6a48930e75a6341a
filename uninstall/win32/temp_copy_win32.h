// The uninstaller's temporary copy on Windows: the system's side, and the original's start and wait.
#pragma once

#include <optional>
#include <vector>

#include "base/text.h"
#include "uninstall/temp_copy.h"

namespace pel {

// The temporary folder, identity by the file system's own file number, the
// pipe and process handles a copy inherits from its original.
class Win32CopyHost final : public CopyHost {
 public:
  // marker: the handles a copy was given; nullptr in the original.
  explicit Win32CopyHost(const CopyMarker* marker) : marker_(marker) {}
  Text TempFolder() override;
  bool SameEntry(std::string_view a, std::string_view b) override;
  void Sleep(int ms) override;
  void ReportToParent(int code) override;
  bool WaitForParent(uint32_t ms) override;
  bool RemoveAtRestart(std::string_view path) override;

 private:
  const CopyMarker* marker_;
};

// In the original: when it was started from the product folder, makes the
// copy, starts it with args and the marker, waits for its answer without a
// window of its own and returns its exit code. The log the switches name is
// let go while the copy runs (it appends to the same file). nullopt when the
// uninstaller is to run in place; the log then says why.
std::optional<int> RemoveFromTempCopy(const std::vector<Text>& args,
                                      const std::optional<Text>& logPath, CopyHost& host);

}  // namespace pel
