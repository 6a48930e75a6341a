// The uninstaller's removal from a copy of itself, so that the program files in the product folder really go.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "sys/action_log.h"
#include "sys/platform.h"

namespace pel {

// A running program cannot delete its own file. Started from the product
// folder, the uninstaller therefore copies itself to a folder of its own under
// the user's temporary folder, starts the copy with its own arguments and one
// more, the marker below, and waits for the copy's answer; the copy runs the
// removal, hands its exit code back, waits for the original to end and then
// deletes it, if the removal wanted it gone.

// The last argument of a copy's command line: the original's process and the
// pipe that takes the exit code (inherited handle values), and the original's
// path. Taken off before the switches are read, so it is never a switch.
inline constexpr std::string_view CopyMarkerPrefix = "/~PELMORA-COPY-OF=";

struct CopyMarker {
  uint64_t parent = 0;  // a handle of the original's process
  uint64_t report = 0;  // the write end of the pipe the exit code goes through
  Text original;        // the uninstaller that made the copy
  bool operator==(const CopyMarker&) const = default;
};

Text CopyMarkerArgument(const CopyMarker& marker);
// Takes the marker off the end of args. nullopt, args unchanged, when the last
// argument is no well-formed marker.
std::optional<CopyMarker> TakeCopyMarker(std::vector<Text>& args);

// One argument quoted so that the C runtime's splitting gives it back exactly
// (blanks, tabs, quotes, backslashes before a quote or at the end).
Text QuoteArgument(std::string_view arg);
// The program quoted, then each argument quoted, separated by blanks.
Text CommandLine(std::string_view program, const std::vector<Text>& args);

// What the copy needs of the system besides files.
class CopyHost {
 public:
  virtual ~CopyHost() = default;
  // The user's temporary folder as the system gives it; empty when it has none.
  virtual Text TempFolder() = 0;
  // True when both paths name one existing file or folder, whatever their
  // spelling (case, short names, "." and "..", links on the way).
  virtual bool SameEntry(std::string_view a, std::string_view b) = 0;
  virtual void Sleep(int ms) = 0;
  // Hands the exit code to the original, which then ends with it.
  virtual void ReportToParent(int code) = 0;
  // Waits up to ms for the original to end; true when it has.
  virtual bool WaitForParent(uint32_t ms) = 0;
  // Asks the system to delete a file or an empty folder when it next starts.
  virtual bool RemoveAtRestart(std::string_view path) = 0;
};

// Folders the copies are made in: this name and a number.
inline constexpr std::string_view CopyFolderPrefix = "PelmoraUninstall-";

struct TempCopy {
  Text folder;  // ends in a backslash
  Text exe;     // the copy: the folder and the original's file name
};

// The copy to start, or why the uninstaller runs where it is.
struct CopyDecision {
  std::optional<TempCopy> copy;
  Text inPlaceReason;
};

// Started as ownExe: when its folder is the product folder the registry
// names (the same folder, not the same spelling), makes the copy in a new
// folder under the temporary folder, and nowhere else: the copy keeps the
// original's file name, so the mode decision picks the uninstaller again.
// Copies left by earlier removals that nothing runs any more are removed
// first. Anything that fails leaves no half-made copy behind and gives the
// reason instead.
CopyDecision PrepareTempCopy(FileSystem& fs, Registry& registry, CopyHost& host,
                             std::string_view ownExe);
// Deletes a copy that could not be started.
void DiscardTempCopy(FileSystem& fs, const TempCopy& copy);
// Removes every earlier copy folder under temp that holds nothing but program
// files no one runs; a folder that is a link, or holds anything else, stays.
// Returns how many went.
int RemoveStaleCopies(FileSystem& fs, std::string_view temp);

// The files the copy's removal works through: every call passes to the inner
// ones unchanged; a refused deletion of the original (it still runs) is
// noted, so the copy can delete it once the original has ended.
class OriginalWatch {
 public:
  OriginalWatch(Platform& inner, CopyHost& host, Text original);
  ~OriginalWatch();
  OriginalWatch(const OriginalWatch&) = delete;
  OriginalWatch& operator=(const OriginalWatch&) = delete;

  Platform& platform() { return *platform_; }
  // True once the removal tried to delete the original and could not.
  bool originalWanted() const;
  // The original as it was when the copy started: the only file the copy
  // will delete at its path. nullopt when it could not be opened then.
  const std::optional<FileIdentity>& originalIdentity() const;

 private:
  class Files;
  std::unique_ptr<Files> files_;
  std::unique_ptr<Platform> platform_;
};

// The copy's end: hands code to the original, waits for it to end, deletes
// it (when wanted) retrying for a few seconds, and leaves its own folder to
// the next start or restart, since the copy cannot delete itself. Lines go to log.
// Only the very file of identity goes, unchanged: one put at its path since
// (a setup run at once after the removal) stays, and the log says why.
void FinishTempCopy(FileSystem& fs, CopyHost& host, const CopyMarker& marker, bool deleteOriginal,
                    const std::optional<FileIdentity>& identity, std::string_view ownExe, int code,
                    ActionLog& log);

inline constexpr uint32_t ParentWaitMs = 10000;
inline constexpr int OriginalRetryMs = 5000;
inline constexpr int RetryStepMs = 100;

}  // namespace pel
